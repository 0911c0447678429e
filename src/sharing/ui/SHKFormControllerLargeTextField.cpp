#include "sharing/ui/SHKFormControllerLargeTextField.h"

#include "foundation/NotificationCenter.h"
#include "foundation/Text.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/Keyboard.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/Screen.h"

SHKFormControllerLargeTextField::SHKFormControllerLargeTextField(
    const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate)
    : m_delegate(delegate)
{
}

ns::Ref<SHKFormControllerLargeTextField>
SHKFormControllerLargeTextField::create(const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate)
{
    return ns::Factory<SHKFormControllerLargeTextField>::make(delegate);
}

SHKFormControllerLargeTextField::~SHKFormControllerLargeTextField()
{
    ns::NotificationCenter::defaultCenter().removeObserver(this);
}

void SHKFormControllerLargeTextField::loadView()
{
    ui::ViewController::loadView();
    auto root = view();
    root->setBackgroundColor(ui::Color::whiteColor());
    m_textView = ui::TextView::create(root->bounds());
    m_textView->setDelegate(std::dynamic_pointer_cast<ui::TextViewDelegate>(shared_from_this()));
    m_textView->setFont(ui::Font::systemFontOfSize(15));
    m_textView->setContentInset({5, 5, 5, 0});
    m_textView->setBackgroundColor(ui::Color::whiteColor());
    m_textView->setAutoresizesSubviews(true);
    m_textView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(m_textView);
}

void SHKFormControllerLargeTextField::viewWillAppear(bool animated)
{
    ui::ViewController::viewWillAppear(animated);
    view();
    m_textView->setText(m_text.value_or(""));
    setupBarButtonItems();
}

void SHKFormControllerLargeTextField::viewDidAppear(bool animated)
{
    ui::ViewController::viewDidAppear(animated);
    auto weak = weakSelf<SHKFormControllerLargeTextField>();
    ns::NotificationCenter::defaultCenter().addObserver(this, ui::KeyboardWillShowNotification, nullptr,
                                                        [weak](const ns::Notification& notification) {
                                                            if (auto form = weak.lock())
                                                                form->keyboardWillShow(notification);
                                                        });
    m_textView->becomeFirstResponder();
}

void SHKFormControllerLargeTextField::viewDidDisappear(bool animated)
{
    ui::ViewController::viewDidDisappear(animated);
    ns::NotificationCenter::defaultCenter().removeObserver(this, ui::KeyboardWillShowNotification);
    // Only the whole screen going is a dismissal. Popped (the user went back) or covered by a pushed
    // screen, the form leaves its navigation controller on screen: reported, the facade would forget that
    // screen, and the next hide (after the next send) would leave it up.
    auto* navigation = navigationController();
    bool popped = !navigation && !presentingViewController();
    bool covered = navigation && navigation->topViewController().get() != this;
    if (!popped && !covered)
        SHK::currentHelper()->viewWasDismissed();
}

void SHKFormControllerLargeTextField::setupBarButtonItems()
{
    auto weak = weakSelf<SHKFormControllerLargeTextField>();
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withSystemItem(
        ui::BarButtonSystemItem::Cancel, shared_from_this(), [weak](const ns::Id&) {
            if (auto form = weak.lock())
                form->cancel();
        }));
    // The service's title is a class-level answer of the delegate's class.
    std::optional<std::string> title;
    if (auto object = std::dynamic_pointer_cast<ns::Object>(m_delegate.lock()))
        if (auto meta = rt::ClassRegistry::shared().metaAs<SHKFormControllerLargeTextFieldDelegateClass>(
                object->className()))
            title = meta->sharerTitle();
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withTitle(
        SHKFormatLocalizedText("Send to %@", title ? *title : std::string("(null)")),
        ui::BarButtonItemStyle::Done, shared_from_this(), [weak](const ns::Id&) {
            if (auto form = weak.lock())
                form->save();
        }));
}

void SHKFormControllerLargeTextField::save()
{
    auto keep = self<SHKFormControllerLargeTextField>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    if (auto delegate = m_delegate.lock())
        delegate->sendForm(*this);
}

void SHKFormControllerLargeTextField::cancel()
{
    auto keep = self<SHKFormControllerLargeTextField>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    if (auto delegate = m_delegate.lock())
        delegate->sendDidCancel();
}

bool SHKFormControllerLargeTextField::hasText() const
{
    return m_textView && !m_textView->text().empty();
}

bool SHKFormControllerLargeTextField::shouldShowCounter() const
{
    return m_maxTextLength != 0 || m_image || m_hasLink;
}

void SHKFormControllerLargeTextField::ifNoTextDisableSendButton()
{
    if (const auto& send = navigationItem()->rightBarButtonItem())
        send->setEnabled(hasText());
}

void SHKFormControllerLargeTextField::updateCounter()
{
    ifNoTextDisableSendButton();
    if (!shouldShowCounter())
        return;
    if (!m_counter) {
        m_counter = ui::Label::create(cg::Rect{});
        m_counter->setBackgroundColor(ui::Color::clearColor());
        m_counter->setOpaque(false);
        m_counter->setFont(ui::Font::boldSystemFontOfSize(14));
        m_counter->setTextAlignment(ui::TextAlignment::Right);
        m_counter->setAutoresizesSubviews(true);
        m_counter->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin |
                                       ui::AutoresizingFlexibleTopMargin);
        view()->addSubview(m_counter);
        layoutCounter();
    }

    // What is left, as a signed number: the count goes below zero when the text is too long.
    int64_t remaining = 0;
    std::string count;
    if (m_maxTextLength != 0) {
        int64_t length = m_textView ? static_cast<int64_t>(ns::utf16Length(m_textView->text())) : 0;
        remaining = static_cast<int64_t>(m_maxTextLength) -
                    (m_image ? static_cast<int64_t>(m_imageTextLength) : 0) - length;
        count = ns::format("%i", remaining);
    }
    std::string imagePart =
        m_image ? SHKFormatLocalizedText("Image %@ ", std::string(remaining > 0 ? "+" : "")) : std::string();
    m_counter->setText(ns::format("%@%@", imagePart, count));

    const auto& send = navigationItem()->rightBarButtonItem();
    if (remaining < 0) {
        m_counter->setTextColor(ui::Color::redColor());
        if (send)
            send->setEnabled(false);
    } else {
        m_counter->setTextColor(ui::Color::blackColor());
        if (send && hasText())
            send->setEnabled(true);
    }
}

void SHKFormControllerLargeTextField::layoutCounter()
{
    if (!shouldShowCounter() || !m_textView)
        return;
    cg::Size area = m_textView->bounds().size;
    if (m_counter)
        m_counter->setFrame(cg::makeRect(area.width - 150 - 15, area.height - 15 - 9, 150, 15));
    // The last line stays clear of the counter.
    m_textView->setContentInset({5, 5, 32, 0});
}

void SHKFormControllerLargeTextField::keyboardWillShow(const ns::Notification& notification)
{
    auto end =
        ui::Keyboard::frameFromUserInfo(notification.userInfo().get(), ui::KeyboardFrameEndUserInfoKey);
    if (!end || !m_textView)
        return;
    ui::InterfaceOrientation mine = interfaceOrientation();
    bool upright =
        mine == ui::InterfaceOrientation::Portrait || mine == ui::InterfaceOrientation::PortraitUpsideDown;
    cg::Float keyboard = upright ? end->size.height : end->size.width;

    auto& application = ui::Application::sharedApplication();
    ui::InterfaceOrientation bar = application.statusBarOrientation();
    bool landscape =
        bar == ui::InterfaceOrientation::LandscapeLeft || bar == ui::InterfaceOrientation::LandscapeRight;
    bool flipped = bar == ui::InterfaceOrientation::PortraitUpsideDown ||
                   bar == ui::InterfaceOrientation::LandscapeRight;

    auto root = view();
    cg::Point origin = root->convertPointToView(cg::makePoint(0, 0), nullptr);
    cg::Rect frame = ui::Screen::mainScreen()->applicationFrame();
    cg::Float top = landscape ? origin.x : origin.y;
    cg::Float extent = landscape ? frame.size.width : frame.size.height;
    if (flipped)
        top = extent - top;
    // What lies between the bottom of the form and the end of the application frame.
    cg::Float gap = extent - (top + root->bounds().size.height);
    if (!application.isStatusBarHidden() && !flipped)
        gap += ui::Screen::statusBarHeight;

    cg::Size size = root->bounds().size;
    m_textView->setFrame(cg::makeRect(0, 0, size.width, size.height - keyboard + gap));
    layoutCounter();
}
