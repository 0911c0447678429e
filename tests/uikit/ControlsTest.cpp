#include "UIFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Sandbox.h"
#include "foundation/URL.h"
#include "uikit/ApplicationDelegate.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Button.h"
#include "uikit/Keyboard.h"
#include "uikit/Label.h"
#include "uikit/Switch.h"
#include "uikit/TextField.h"
#include "uikit/TextView.h"
#include "uikit/Toolbar.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class Target : public ns::Object
{
public:
    std::vector<std::string> calls;
};

class FieldLog : public ns::Object, public ui::TextFieldDelegate, public ui::TextViewDelegate
{
public:
    std::vector<std::string> calls;
    bool allowReturn = true;
    void textFieldDidBeginEditing(ui::TextField&) override { calls.push_back("begin"); }
    void textFieldDidEndEditing(ui::TextField& f) override { calls.push_back("end " + f.text()); }
    bool textFieldShouldReturn(ui::TextField& f) override
    {
        calls.push_back("return " + f.text());
        if (allowReturn)
            f.resignFirstResponder();
        return allowReturn;
    }
    void textViewDidBeginEditing(ui::TextView&) override { calls.push_back("view begin"); }
    void textViewDidChange(ui::TextView& v) override { calls.push_back("view change " + v.text()); }
    void textViewDidEndEditing(ui::TextView&) override { calls.push_back("view end"); }
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

using Controls = UIFixture;

TEST_F(Controls, AButtonSendsItsActionOnTouchUpInsideOnly)
{
    auto target = ns::make<Target>();
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setFrame(cg::makeRect(20, 100, 100, 40));
    button->setTitle("OK");
    button->addTarget(
        target,
        [&](const ns::Id& sender) {
            target->calls.push_back(sender.get() == button.get() ? "ok from button" : "ok");
        },
        ui::ControlEventTouchUpInside);
    window->addSubview(button);
    ASSERT_TRUE(driver.press("OK"));
    driver.drag(cg::makePoint(50, 120), cg::makePoint(250, 300), 3); // lifted outside
    EXPECT_EQ(target->calls, (std::vector<std::string>{"ok from button"}));
    button->setEnabled(false);
    driver.tap(cg::makePoint(50, 120));
    EXPECT_EQ(target->calls.size(), 1u);
    // A target that has gone gets nothing.
    button->setEnabled(true);
    auto gone = ns::make<Target>();
    int sentToGone = 0;
    button->addTarget(
        gone, [&](const ns::Id&) { ++sentToGone; }, ui::ControlEventTouchUpInside);
    gone.reset();
    driver.tap(cg::makePoint(50, 120));
    EXPECT_EQ(sentToGone, 0);
    EXPECT_EQ(target->calls.size(), 2u);
}

TEST_F(Controls, BarItemsArePressedByTitleSystemNameOrImage)
{
    std::vector<std::string> pressed;
    auto toolbar = ui::Toolbar::create(cg::makeRect(0, 436, 320, 44));
    auto record = [&](std::string name) {
        return [&pressed, name](const ns::Id&) { pressed.push_back(name); };
    };
    auto heart = ui::Button::buttonWithType(ui::ButtonType::Custom);
    heart->setFrame(cg::makeRect(0, 0, 30, 30));
    heart->addTarget(nullptr, record("heart"), ui::ControlEventTouchUpInside);
    auto trash = ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Trash, nullptr, record("trash"));
    toolbar->setItems(
        {ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::FlexibleSpace),
         ui::BarButtonItem::withCustomView(heart),
         ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Compose, nullptr, record("compose")),
         ui::BarButtonItem::withTitle("Save", ui::BarButtonItemStyle::Done, nullptr, record("save")), trash});
    window->addSubview(toolbar);
    ASSERT_TRUE(driver.press("Compose"));
    ASSERT_TRUE(driver.press("Save"));
    trash->setEnabled(false);
    ASSERT_TRUE(driver.press("Trash"));
    EXPECT_EQ(pressed, (std::vector<std::string>{"compose", "save"}));
    cg::Rect compose = toolbar->frameForItem(toolbar->items()[2].get());
    EXPECT_FALSE(compose.isEmpty());
    driver.tap(toolbar->convertPointToView(cg::makePoint(compose.midX(), compose.midY()), nullptr));
    EXPECT_EQ(pressed.back(), "compose");
    EXPECT_FALSE(driver.press("Nothing like this"));
    // Items sit at the right edge after the flexible space.
    EXPECT_GT(toolbar->frameForItem(trash.get()).maxX(), 300);
}

TEST_F(Controls, ASwitchIsPressedByTheLabelBesideIt)
{
    auto label = ui::Label::create(cg::makeRect(10, 100, 100, 27));
    label->setText("Sound");
    auto toggle = ui::Switch::create(cg::makeRect(220, 100, 0, 0));
    int changes = 0;
    toggle->addTarget(
        nullptr, [&](const ns::Id&) { ++changes; }, ui::ControlEventValueChanged);
    window->addSubview(label);
    window->addSubview(toggle);
    EXPECT_EQ(toggle->frame().size, (cg::Size{79, 27}));
    ASSERT_TRUE(driver.press("Sound"));
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(changes, 1);
    toggle->setOn(false, true);
    EXPECT_EQ(changes, 1); // only the user's change is reported
}

TEST_F(Controls, TypingGoesThroughTheFieldsDelegate)
{
    ns::NotificationRecorder keyboard;
    auto log = ns::make<FieldLog>();
    auto field = ui::TextField::create(cg::makeRect(10, 100, 300, 31));
    field->setDelegate(log);
    field->setPlaceholder("Password");
    field->setSecureTextEntry(true);
    window->addSubview(field);
    EXPECT_FALSE(driver.type("nothing takes this"));
    driver.tap(cg::makePoint(50, 110));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(ui::Keyboard::isVisible());
    log->allowReturn = false;
    ASSERT_TRUE(driver.type("se\xC3\xA7ret\n"));
    EXPECT_TRUE(field->isFirstResponder());
    field->deleteBackward();
    log->allowReturn = true;
    ASSERT_TRUE(driver.type("\n"));
    EXPECT_EQ(log->calls, (std::vector<std::string>{"begin", "return se\xC3\xA7ret", "return se\xC3\xA7re",
                                                    "end se\xC3\xA7re"}));
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_FALSE(ui::Keyboard::isVisible());

    std::optional<cg::Rect> shown;
    for (auto& n : keyboard.notifications())
        if (n->name() == ui::KeyboardWillShowNotification)
            shown = ui::Keyboard::frameFromUserInfo(n->userInfo().get(), ui::KeyboardFrameEndUserInfoKey);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, cg::makeRect(0, 264, 320, 216));
}

TEST_F(Controls, AFieldLeavingTheScreenStopsEditing)
{
    auto form = ui::View::create(cg::makeRect(0, 0, 320, 200));
    auto field = ui::TextField::create(cg::makeRect(10, 100, 300, 31));
    form->addSubview(field);
    window->addSubview(form);
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(ui::Keyboard::isVisible());
    form->removeFromSuperview();
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_FALSE(ui::Keyboard::isVisible());
}

TEST_F(Controls, ATextViewTellsBeginChangeAndEnd)
{
    auto log = ns::make<FieldLog>();
    auto view = ui::TextView::create(cg::makeRect(10, 100, 300, 100));
    view->setDelegate(log);
    view->setContentInset({4, 0, 0, 0});
    window->addSubview(view);
    driver.tap(cg::makePoint(50, 150));
    ASSERT_TRUE(driver.type("hi\n"));
    view->resignFirstResponder();
    EXPECT_EQ(log->calls, (std::vector<std::string>{"view begin", "view change h", "view change hi",
                                                    "view change hi\n", "view end"}));
    EXPECT_EQ(view->contentInset().top, 4);
}

TEST_F(Controls, OpeningAnAddressHandsItToTheDevice)
{
    auto& application = ui::Application::sharedApplication();
    struct Case
    {
        const char* url;
        bool opens;
    };
    const Case cases[] = {
        {"tel:0123456789", true},
        {"sms:0612", true},
        {"http://example.com/a", true},
        {"itms-apps://itunes.example/app", true},
        {"mailto:someone@example.com", true},
        {"fbauth2://authorize", false},
        {"no scheme", false},
        {"http://evil\nsecond line", false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(application.canOpenURL(row.url), row.opens);
        EXPECT_EQ(application.openURL(row.url), row.opens);
    }
    EXPECT_TRUE(application.openURL(ns::URL::withString("tel:112")));
    EXPECT_FALSE(application.openURL(ns::Ref<ns::URL>()));
    EXPECT_EQ(readFile(ns::Sandbox::devicePath() + "/opened-urls.log"),
              "tel:0123456789\nsms:0612\nhttp://example.com/a\nitms-apps://itunes.example/app\n"
              "mailto:someone@example.com\ntel:112\n");
}

namespace {

class Delegate : public ns::Object, public ui::ApplicationDelegate
{
public:
    std::vector<std::string> calls;
    void applicationDidFinishLaunching(ui::Application&) override { calls.push_back("launched"); }
    bool applicationHandleOpenURL(ui::Application&, const ns::Ref<ns::URL>& url) override
    {
        calls.push_back("handle " + url->absoluteString());
        return url->scheme().value_or("").rfind("fb", 0) == 0;
    }
    void applicationWillResignActive(ui::Application&) override { calls.push_back("resign"); }
};

} // namespace

TEST_F(Controls, TheApplicationTellsItsDelegateAndPostsTheLifeCycle)
{
    ns::NotificationRecorder recorder(ui::ApplicationWillResignActiveNotification);
    auto delegate = ns::make<Delegate>();
    auto& application = ui::Application::sharedApplication();
    application.launchWithDelegate(delegate);
    EXPECT_TRUE(application.receiveURL("fb123://authorize"));
    EXPECT_FALSE(application.receiveURL("other://x", "com.example"));
    application.resignActive();
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"launched", "handle fb123://authorize",
                                                         "handle other://x", "resign"}));
    EXPECT_EQ(recorder.notifications().size(), 1u);
    EXPECT_FALSE(application.launch("NoSuchDelegateClass"));
}

TEST_F(Controls, TheDeleteKeyAndAClearReplaceAFieldsText)
{
    auto field = ui::TextField::create(cg::makeRect(10, 100, 300, 31));
    field->setText("http://old.example/");
    window->addSubview(field);
    EXPECT_FALSE(driver.clearText());
    driver.tap(cg::makePoint(50, 110));
    ASSERT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(field->hasText());
    // "\b" is the delete key, one character (not one byte) at a time.
    ASSERT_TRUE(driver.type("\b\b\xC3\xA9\b/x"));
    EXPECT_EQ(field->text(), "http://old.exampl/x");
    ASSERT_TRUE(driver.clearText());
    EXPECT_EQ(field->text(), "");
    EXPECT_FALSE(field->hasText());
    EXPECT_TRUE(field->isFirstResponder());
    ASSERT_TRUE(driver.type("http://new.example/"));
    EXPECT_EQ(field->text(), "http://new.example/");
}

TEST_F(Controls, OnlyWhatTheScreenShowsCountsAsShownText)
{
    struct Row
    {
        const char* name;
        bool hideParent;
        float alpha;
        cg::Rect frame;
        bool shown;
    };
    const Row rows[] = {
        {"a label in view", false, 1, cg::makeRect(10, 100, 100, 20), true},
        {"inside a hidden view", true, 1, cg::makeRect(10, 100, 100, 20), false},
        {"transparent", false, 0, cg::makeRect(10, 100, 100, 20), false},
        {"off the screen", false, 1, cg::makeRect(10, 900, 100, 20), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto parent = ui::View::create(window->bounds());
        auto label = ui::Label::create(row.frame);
        label->setText("Saved!");
        label->setAlpha(row.alpha);
        parent->addSubview(label);
        parent->setHidden(row.hideParent);
        window->addSubview(parent);
        EXPECT_EQ(driver.showsText("Saved!"), row.shown);
        EXPECT_FALSE(driver.showsText("Saved"));
        parent->removeFromSuperview();
    }
}
