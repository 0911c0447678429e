#include "sharing/support/FormFixture.h"

#include "foundation/ClassRegistry.h"
#include "graphics/BitmapContext.h"
#include "sharing/ui/SHKFormControllerLargeTextField.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/Keyboard.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TextView.h"

#include <string>
#include <vector>

namespace {

// A sharer that composes with the large text form: it records what the form tells it, with whether the
// facade was already hiding the form.
class Composer : public ns::Object, public SHKFormControllerLargeTextFieldDelegate
{
public:
    static ns::Ref<Composer> create() { return ns::Factory<Composer>::make(); }
    void sendForm(SHKFormControllerLargeTextField& form) override
    {
        calls.push_back(std::string("send ") + form.textView()->text() + hiding());
    }
    void sendDidCancel() override { calls.push_back("cancel" + hiding()); }
    std::string className() const override { return "TestComposer"; }

    std::vector<std::string> calls;

protected:
    Composer() = default;
    friend ns::Factory<Composer>;

private:
    static std::string hiding() { return SHK::currentHelper()->isDismissingView() ? " (hiding)" : ""; }
};

class ComposerClass : public SHKFormControllerLargeTextFieldDelegateClass
{
public:
    std::string sharerTitle() const override { return "Test Service"; }
};

class LargeTextForm : public FormFixture
{
protected:
    LargeTextForm()
    {
        rt::ClassRegistry::shared().registerClass(
            "TestComposer", [] { return ns::Id(Composer::create()); }, std::make_shared<ComposerClass>());
    }
    ~LargeTextForm() override { rt::ClassRegistry::shared().unregisterClass("TestComposer"); }

    ns::Ref<SHKFormControllerLargeTextField> showForm()
    {
        show(ui::NavigationController::create(form));
        return form;
    }

    bool sendEnabled() const
    {
        auto send = form->navigationItem()->rightBarButtonItem();
        return send && send->isEnabled();
    }

    ns::Ref<Composer> composer = Composer::create();
    ns::Ref<SHKFormControllerLargeTextField> form = SHKCustomFormControllerLargeTextField::create(composer);
};

ns::Ref<ui::Image> smallImage()
{
    auto context =
        cg::BitmapContext::create(10, 10, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    return ui::Image::imageWithCGImage(context->makeImage());
}

} // namespace

TEST_F(LargeTextForm, ComposesUnderCancelAndSendToTheService)
{
    form->setText(std::string("Hello"));
    showForm();
    EXPECT_EQ(form->className(), "SHKCustomFormControllerLargeTextField");
    auto textView = form->textView();
    ASSERT_TRUE(textView);
    EXPECT_EQ(textView->text(), "Hello");
    EXPECT_TRUE(textView->isFirstResponder());
    EXPECT_TRUE(ui::Keyboard::isVisible());
    EXPECT_EQ(textView->contentInset(), (ui::EdgeInsets{5, 5, 5, 0}));
    ASSERT_TRUE(form->navigationItem()->rightBarButtonItem());
    EXPECT_EQ(form->navigationItem()->rightBarButtonItem()->title(), "Send to Test Service");
    EXPECT_EQ(form->navigationItem()->rightBarButtonItem()->style(), ui::BarButtonItemStyle::Done);
    ASSERT_TRUE(form->navigationItem()->leftBarButtonItem());
    // No limit, no image, no link: no counter, and Send follows the text alone.
    EXPECT_EQ(form->counter(), nullptr);
    EXPECT_TRUE(sendEnabled());
    textView->setText("");
    form->updateCounter();
    EXPECT_FALSE(sendEnabled());
    ASSERT_TRUE(driver.type("Hi"));
    EXPECT_TRUE(sendEnabled());
    EXPECT_EQ(form->counter(), nullptr);
}

TEST_F(LargeTextForm, TheCounterCountsWhatIsLeft)
{
    struct Row
    {
        const char* name;
        uint64_t limit;
        bool image;
        uint64_t cost;
        bool link;
        std::string text;
        std::optional<std::string> counter; // nothing: no counter
        bool red;
        bool send;
    };
    const std::string ten = "0123456789";
    const Row rows[] = {
        {"limit", 140, false, 0, false, ten, "130", false, true},
        {"image", 140, true, 21, false, ten, "Image + 109", false, true},
        {"image at the limit", 140, true, 21, false, std::string(119, 'x'), "Image  0", false, true},
        {"no image, no cost", 140, false, 21, false, ten, "130", false, true},
        {"image without a limit", 0, true, 21, false, ten, "Image  ", false, true},
        {"link without a limit", 0, false, 0, true, ten, "", false, true},
        {"no limit", 0, false, 0, false, ten, std::nullopt, false, true},
        {"empty", 140, false, 0, false, "", "140", false, false},
        {"too long", 10, false, 0, false, "0123456789a", "-1", true, false},
        {"image too costly", 20, true, 21, false, "", "Image  -1", true, false},
        {"surrogate pair", 10, false, 0, false,
         "\xF0\x9F\x98\x80"
         "abc",
         "5", false, true},
        {"accents count once", 10, false, 0, false, "caf\xC3\xA9", "6", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        composer = Composer::create();
        form = SHKCustomFormControllerLargeTextField::create(composer);
        form->setMaxTextLength(row.limit);
        form->setImageTextLength(row.cost);
        form->setHasLink(row.link);
        if (row.image)
            form->setImage(smallImage());
        form->setText(row.text);
        showForm();
        EXPECT_EQ(form->shouldShowCounter(), row.counter.has_value());
        if (row.counter) {
            ASSERT_TRUE(form->counter());
            EXPECT_EQ(form->counter()->text(), row.counter);
            EXPECT_TRUE(ns::isEqual(form->counter()->textColor(),
                                    row.red ? ui::Color::redColor() : ui::Color::blackColor()));
            EXPECT_EQ(form->counter()->superview(), form->view().get());
            cg::Size area = form->textView()->bounds().size;
            EXPECT_EQ(form->counter()->frame(), cg::makeRect(area.width - 165, area.height - 24, 150, 15));
            EXPECT_EQ(form->textView()->contentInset(), (ui::EdgeInsets{5, 5, 32, 0}));
        } else {
            EXPECT_EQ(form->counter(), nullptr);
        }
        EXPECT_EQ(sendEnabled(), row.send);
        ASSERT_TRUE(driver.press("Cancel"));
        driver.advance(1);
    }
}

TEST_F(LargeTextForm, TypingPastTheLimitTurnsTheCounterRedUntilTheTextFitsAgain)
{
    form->setMaxTextLength(5);
    form->setText(std::string("abcd"));
    showForm();
    EXPECT_EQ(form->counter()->text(), "1");
    ASSERT_TRUE(driver.type("ef"));
    EXPECT_EQ(form->counter()->text(), "-1");
    EXPECT_TRUE(ns::isEqual(form->counter()->textColor(), ui::Color::redColor()));
    EXPECT_FALSE(sendEnabled());
    form->textView()->setText("abcde");
    form->textViewDidChange(*form->textView());
    EXPECT_EQ(form->counter()->text(), "0");
    EXPECT_TRUE(ns::isEqual(form->counter()->textColor(), ui::Color::blackColor()));
    EXPECT_TRUE(sendEnabled());
}

TEST_F(LargeTextForm, SendAndCancelHideTheFormBeforeTellingTheSharer)
{
    struct Row
    {
        const char* name;
        const char* button;
        const char* call;
    };
    const Row rows[] = {
        {"send", "Send to Test Service", "send Good morning (hiding)"},
        {"cancel", "Cancel", "cancel (hiding)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        composer = Composer::create();
        form = SHKCustomFormControllerLargeTextField::create(composer);
        form->setText(std::string("Good morning"));
        showForm();
        ASSERT_TRUE(driver.press(row.button));
        EXPECT_EQ(composer->calls, (std::vector<std::string>{row.call}));
        driver.advance(1);
        // Its view gone, the form told the facade.
        EXPECT_EQ(SHK::currentHelper()->currentView(), nullptr);
        EXPECT_FALSE(SHK::currentHelper()->isDismissingView());
    }
}

TEST_F(LargeTextForm, OnlyTheWholeScreenGoingIsADismissal)
{
    // The form pushed over another screen of a shown navigation controller, as the check-in form is.
    form->setText(std::string("Hi"));
    auto navigation = ui::NavigationController::create(ui::ViewController::create());
    show(navigation);
    navigation->pushViewController(form, false);
    driver.advance(1);
    // Covered by a pushed screen, then back and popped (as the check-in form's back button does): the
    // navigation controller is still up, and still the facade's screen.
    navigation->pushViewController(ui::ViewController::create(), false);
    driver.advance(1);
    navigation->popViewControllerAnimated(false);
    driver.advance(1);
    navigation->popViewControllerAnimated(true);
    driver.advance(1);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(SHK::currentHelper()->currentView(), navigation);

    // Pushed again and sent: the whole screen goes, and the form reports it.
    navigation->pushViewController(form, false);
    driver.advance(1);
    ASSERT_TRUE(driver.press("Send to Test Service"));
    driver.advance(1);
    EXPECT_EQ(composer->calls, (std::vector<std::string>{"send Hi (hiding)"}));
    EXPECT_EQ(navigation->presentingViewController(), nullptr);
    EXPECT_EQ(SHK::currentHelper()->currentView(), nullptr);
    EXPECT_FALSE(SHK::currentHelper()->isDismissingView());
}

TEST_F(LargeTextForm, TheTextViewEndsAboveTheKeyboardInEveryOrientation)
{
    struct Row
    {
        const char* name;
        ui::InterfaceOrientation orientation;
        cg::Rect textView;
    };
    // Below the navigation bar the interface holds 416 points upright and 256 in landscape; the keyboard
    // takes 216 and 162 of them.
    const Row rows[] = {
        {"portrait", ui::InterfaceOrientation::Portrait, cg::makeRect(0, 0, 320, 200)},
        {"upside down", ui::InterfaceOrientation::PortraitUpsideDown, cg::makeRect(0, 0, 320, 200)},
        {"landscape left", ui::InterfaceOrientation::LandscapeLeft, cg::makeRect(0, 0, 480, 94)},
        {"landscape right", ui::InterfaceOrientation::LandscapeRight, cg::makeRect(0, 0, 480, 94)},
    };
    form->setMaxTextLength(140);
    showForm();
    auto& application = ui::Application::sharedApplication();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Turned with the keyboard up: it goes down and comes up at its new place.
        application.setStatusBarOrientation(row.orientation);
        EXPECT_EQ(form->textView()->frame(), row.textView);
        EXPECT_EQ(form->counter()->frame(),
                  cg::makeRect(row.textView.size.width - 165, row.textView.size.height - 24, 150, 15));
        // The keyboard's top edge meets the text view's bottom edge on the screen.
        cg::Rect onScreen = form->textView()->convertRectToView(form->textView()->bounds(), nullptr);
        cg::Rect keyboard = ui::Keyboard::frame();
        switch (row.orientation) {
        case ui::InterfaceOrientation::Portrait:
            EXPECT_FLOAT_EQ(onScreen.maxY(), keyboard.minY());
            break;
        case ui::InterfaceOrientation::PortraitUpsideDown:
            EXPECT_FLOAT_EQ(onScreen.minY(), keyboard.maxY());
            break;
        case ui::InterfaceOrientation::LandscapeLeft:
            EXPECT_FLOAT_EQ(onScreen.maxX(), keyboard.minX());
            break;
        case ui::InterfaceOrientation::LandscapeRight:
            EXPECT_FLOAT_EQ(onScreen.minX(), keyboard.maxX());
            break;
        }
    }
    // With the status bar hidden the interface is 20 points taller.
    application.setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    form->textView()->resignFirstResponder();
    application.setStatusBarHidden(true);
    form->textView()->becomeFirstResponder();
    cg::Rect onScreen = form->textView()->convertRectToView(form->textView()->bounds(), nullptr);
    EXPECT_FLOAT_EQ(onScreen.maxY(), ui::Keyboard::frame().minY());
}
