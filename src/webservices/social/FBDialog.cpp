#include "webservices/social/FBDialog.h"

#include "foundation/Escaping.h"
#include "foundation/NotificationCenter.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URLRequest.h"
#include "graphics/Context.h"
#include "sharing/core/SHK.h"
#include "uikit/ActivityIndicatorView.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Device.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/Keyboard.h"
#include "uikit/Label.h"
#include "uikit/Screen.h"
#include "uikit/Window.h"
#include "webservices/social/FBRequest.h"

#include <cmath>
#include <numbers>

namespace {

constexpr const char* EscapedInValues = "!*'();:@&=+$,/?%#[]";
constexpr float Pi = std::numbers::pi_v<float>;
constexpr ns::TimeInterval TransitionDuration = 0.3;
constexpr float BorderWidth = 10;
constexpr float PadScale = 0.6f;

const cg::Color PanelFill{0.3f, 0.3f, 0.3f, 0.8f};
const cg::Color FrameLines{0.3f, 0.3f, 0.3f, 1.0f};

int orientationNumber(ui::InterfaceOrientation orientation)
{
    return static_cast<int>(orientation);
}

bool isLandscape(ui::InterfaceOrientation orientation)
{
    int number = orientationNumber(orientation);
    return number == 3 || number == 4;
}

std::string textOf(const ns::Id& object)
{
    if (auto string = ns::cast<ns::String>(object))
        return string->str();
    return ns::describe(object);
}

ui::InterfaceOrientation statusBarOrientation()
{
    return ui::Application::sharedApplication().statusBarOrientation();
}

} // namespace

bool deviceIsPad()
{
    return ui::Device::currentDevice()->userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

FBDialog::FBDialog() : ui::View(cg::Rect{})
{
}

FBDialog::~FBDialog()
{
    ns::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_webView)
        m_webView->setDelegate(nullptr);
}

ns::Ref<FBDialog> FBDialog::create()
{
    auto dialog = ns::Factory<FBDialog>::make();
    dialog->build();
    return dialog;
}

ns::Ref<FBDialog> FBDialog::create(std::string serverURL, ns::Ref<ns::MutableDictionary> params,
                                   ns::Weak<FBDialogDelegate> delegate)
{
    auto dialog = create();
    dialog->setUp(std::move(serverURL), std::move(params), std::move(delegate));
    return dialog;
}

void FBDialog::setUp(std::string serverURL, ns::Ref<ns::MutableDictionary> params,
                     ns::Weak<FBDialogDelegate> delegate)
{
    m_serverURL = std::move(serverURL);
    m_params = std::move(params);
    m_delegate = std::move(delegate);
}

void FBDialog::build()
{
    setBackgroundColor(ui::Color::colorWithWhite(0, 0));
    setAutoresizesSubviews(true);
    setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setContentMode(ui::ContentMode::Redraw);

    m_webView = ui::WebView::create(cg::makeRect(BorderWidth + 1, BorderWidth + 1, 480, 480));
    m_webView->setDelegate(self<FBDialog>());
    m_webView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    addSubview(m_webView);

    m_closeButton = ui::Button::buttonWithType(ui::ButtonType::Custom);
    m_closeButton->setImage(ui::Image::imageNamed(CloseImageName));
    m_closeButton->setTitleColor(ui::Color::colorWithRed(167.0f / 255, 184.0f / 255, 216.0f / 255, 1));
    m_closeButton->setTitleColor(ui::Color::whiteColor(), ui::ControlStateHighlighted);
    m_closeButton->titleLabel()->setFont(ui::Font::boldSystemFontOfSize(12));
    m_closeButton->setShowsTouchWhenHighlighted(true);
    m_closeButton->setAutoresizingMask(ui::AutoresizingFlexibleRightMargin |
                                       ui::AutoresizingFlexibleBottomMargin);
    m_closeButton->addTarget(
        self<FBDialog>(),
        [weak = weakSelf<FBDialog>()](const ns::Id&) {
            if (auto dialog = weak.lock())
                dialog->cancel();
        },
        ui::ControlEventTouchUpInside);
    addSubview(m_closeButton);

    m_spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    m_spinner->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin |
                                   ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
    addSubview(m_spinner);

    m_modalBackgroundView = ui::View::create();
}

bool FBDialog::delegateAnswers(FBDialogDelegate::Operation operation,
                               ns::Ref<FBDialogDelegate>& delegate) const
{
    delegate = m_delegate.lock();
    return delegate && delegate->respondsTo(operation);
}

// MARK: Addresses

std::string FBDialog::generateURL(const std::string& baseURL, const ns::Dictionary* params)
{
    if (!params)
        return baseURL;
    std::vector<std::string> pairs;
    params->enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool&) {
        std::string pair = textOf(key);
        pair += '=';
        pair += ns::addingPercentEscapes(textOf(value), {}, EscapedInValues);
        pairs.push_back(std::move(pair));
    });
    std::string url = baseURL;
    url += '?';
    url += ns::join(pairs, "&");
    return url;
}

std::optional<std::string> FBDialog::getStringFromUrl(const std::string& url, const std::string& needle)
{
    auto start = url.find(needle);
    if (needle.empty() || start == std::string::npos)
        return std::nullopt;
    start += needle.size();
    auto end = url.find('&', start);
    std::string_view value =
        std::string_view(url).substr(start, end == std::string::npos ? end : end - start);
    // A malformed escape leaves the text as it came rather than losing it.
    return ns::replacingPercentEscapes(value).value_or(std::string(value));
}

void FBDialog::load()
{
    loadURL(m_serverURL, m_params.get());
}

void FBDialog::loadURL(const std::string& url, const ns::Dictionary* getParams)
{
    m_loadURL = ns::URL::withString(generateURL(url, getParams));
    if (!m_loadURL)
        return;
    m_webView->loadRequest(ns::URLRequest::requestWithURL(m_loadURL));
}

// MARK: Layout

cg::AffineTransform FBDialog::transformForOrientation() const
{
    switch (orientationNumber(statusBarOrientation())) {
    case 2:
        return cg::AffineTransform::rotation(-Pi);
    case 3:
        return cg::AffineTransform::rotation(Pi / 2);
    case 4:
        return cg::AffineTransform::rotation(3 * Pi / 2);
    default:
        return cg::AffineTransform::identity();
    }
}

void FBDialog::sizeToFitOrientation(bool transform)
{
    if (transform)
        setTransform(cg::AffineTransform::identity());
    float scale = deviceIsPad() ? PadScale : 1.0f;
    cg::Rect frame = ui::Screen::mainScreen()->applicationFrame();
    cg::Point center = {frame.origin.x + std::ceil(frame.size.width / 2),
                        frame.origin.y + std::ceil(frame.size.height / 2)};
    float width = std::floor(scale * frame.size.width);
    float height = std::floor(scale * frame.size.height);
    m_orientation = statusBarOrientation();
    if (isLandscape(m_orientation))
        setFrame(cg::makeRect(0, 0, height, width));
    else
        setFrame(cg::makeRect(0, 0, width, height));
    setCenter(center);
    if (transform)
        setTransform(transformForOrientation());
}

bool FBDialog::shouldRotateToOrientation(ui::InterfaceOrientation orientation) const
{
    if (orientation == m_orientation)
        return false;
    int number = orientationNumber(orientation);
    return number >= 1 && number <= 4;
}

void FBDialog::updateWebOrientation()
{
    if (isLandscape(statusBarOrientation()))
        m_webView->stringByEvaluatingJavaScriptFromString("document.body.setAttribute('orientation', 90);");
    else
        m_webView->stringByEvaluatingJavaScriptFromString("document.body.removeAttribute('orientation');");
}

// MARK: Showing and ending

void FBDialog::show()
{
    load();
    sizeToFitOrientation(false);

    float innerWidth = frame().size.width - (BorderWidth + 1) * 2;
    m_closeButton->sizeToFit();
    m_closeButton->setFrame(cg::makeRect(2, 2, 29, 29));
    m_webView->setFrame(cg::makeRect(BorderWidth + 1, BorderWidth + 1, innerWidth,
                                     frame().size.height - (1 + BorderWidth * 2)));
    m_spinner->sizeToFit();
    m_spinner->startAnimating();
    m_spinner->setCenter(m_webView->center());

    // The application's own window, whatever screen opened the dialog: the key window may still be the
    // overlay of a share sheet that is on its way out, and the dialog would go with it.
    auto& application = ui::Application::sharedApplication();
    ns::Ref<ui::Window> window = SHK::applicationWindow();
    if (!window)
        window = application.keyWindow();
    if (!window) {
        auto windows = application.windows();
        if (!windows.empty())
            window = windows.front();
    }
    auto me = self<FBDialog>();
    if (window) {
        m_modalBackgroundView->setFrame(window->frame());
        m_modalBackgroundView->addSubview(me);
        window->addSubview(m_modalBackgroundView);
        window->addSubview(me);
    }

    dialogWillAppear();

    setTransform(cg::scale(transformForOrientation(), 0.001f, 0.001f));
    ui::View::beginAnimations("bounce1");
    ui::View::setAnimationDuration(TransitionDuration / 1.5);
    ui::View::setAnimationDelegate(me);
    ui::View::setAnimationDidStopSelector([weak = weakSelf<FBDialog>()](const std::string&, bool, void*) {
        if (auto dialog = weak.lock())
            dialog->bounce1AnimationStopped();
    });
    setTransform(cg::scale(transformForOrientation(), 1.1f, 1.1f));
    ui::View::commitAnimations();

    addObservers();
}

void FBDialog::bounce1AnimationStopped()
{
    ui::View::beginAnimations("bounce2");
    ui::View::setAnimationDuration(TransitionDuration / 2);
    ui::View::setAnimationDelegate(self<FBDialog>());
    ui::View::setAnimationDidStopSelector([weak = weakSelf<FBDialog>()](const std::string&, bool, void*) {
        if (auto dialog = weak.lock())
            dialog->bounce2AnimationStopped();
    });
    setTransform(cg::scale(transformForOrientation(), 0.9f, 0.9f));
    ui::View::commitAnimations();
}

void FBDialog::bounce2AnimationStopped()
{
    ui::View::beginAnimations("bounce3");
    ui::View::setAnimationDuration(TransitionDuration / 2);
    setTransform(transformForOrientation());
    ui::View::commitAnimations();
}

void FBDialog::dismissWithSuccess(bool success, bool animated)
{
    auto keep = self<FBDialog>();
    ns::Ref<FBDialogDelegate> delegate;
    if (success) {
        if (delegateAnswers(FBDialogDelegate::Operation::DidComplete, delegate))
            delegate->dialogDidComplete(*this);
    } else if (delegateAnswers(FBDialogDelegate::Operation::DidNotComplete, delegate)) {
        delegate->dialogDidNotComplete(*this);
    }
    dismiss(animated);
}

void FBDialog::dismissWithError(const ns::Ref<ns::Error>& error, bool animated)
{
    auto keep = self<FBDialog>();
    ns::Ref<FBDialogDelegate> delegate;
    if (delegateAnswers(FBDialogDelegate::Operation::DidFailWithError, delegate))
        delegate->dialogDidFailWithError(*this, error);
    dismiss(animated);
}

void FBDialog::dismiss(bool animated)
{
    auto keep = self<FBDialog>();
    dialogWillDisappear();
    m_loadURL = nullptr;
    if (animated) {
        ui::View::beginAnimations("dismiss");
        ui::View::setAnimationDuration(TransitionDuration);
        ui::View::setAnimationDelegate(keep);
        ui::View::setAnimationDidStopSelector([weak = weakSelf<FBDialog>()](const std::string&, bool, void*) {
            if (auto dialog = weak.lock())
                dialog->postDismissCleanup();
        });
        setAlpha(0);
        ui::View::commitAnimations();
    } else {
        postDismissCleanup();
    }
}

void FBDialog::postDismissCleanup()
{
    auto keep = self<FBDialog>();
    removeObservers();
    removeFromSuperview();
    m_modalBackgroundView->removeFromSuperview();
}

void FBDialog::cancel()
{
    dialogDidCancel(nullptr);
}

void FBDialog::dialogDidSucceed(const ns::Ref<ns::URL>& url)
{
    auto keep = self<FBDialog>();
    // A success address that carries an error code reports a failure: nothing was done.
    std::string text = url ? url->absoluteString() : std::string();
    if (auto code = getStringFromUrl(text, "error_code=")) {
        auto info = ns::MutableDictionary::make();
        if (auto message = getStringFromUrl(text, "error_msg="))
            info->setObject(ns::String::make(*message), "error_msg");
        dismissWithError(FBRequest::formError(ns::intValue(*code), info), true);
        return;
    }
    ns::Ref<FBDialogDelegate> delegate;
    if (delegateAnswers(FBDialogDelegate::Operation::CompleteWithUrl, delegate))
        delegate->dialogCompleteWithUrl(url);
    dismissWithSuccess(true, true);
}

void FBDialog::dialogDidCancel(const ns::Ref<ns::URL>& url)
{
    auto keep = self<FBDialog>();
    ns::Ref<FBDialogDelegate> delegate;
    if (delegateAnswers(FBDialogDelegate::Operation::DidNotCompleteWithUrl, delegate))
        delegate->dialogDidNotCompleteWithUrl(url);
    dismissWithSuccess(false, true);
}

// MARK: Notifications

void FBDialog::addObservers()
{
    auto& center = ns::NotificationCenter::defaultCenter();
    auto weak = weakSelf<FBDialog>();
    center.addObserver(this, ui::DeviceOrientationDidChangeNotification, nullptr,
                       [weak](const ns::Notification&) {
                           if (auto dialog = weak.lock())
                               dialog->deviceOrientationDidChange();
                       });
    center.addObserver(this, ui::KeyboardWillShowNotification, nullptr, [weak](const ns::Notification&) {
        if (auto dialog = weak.lock())
            dialog->keyboardWillShow();
    });
    center.addObserver(this, ui::KeyboardWillHideNotification, nullptr, [weak](const ns::Notification&) {
        if (auto dialog = weak.lock())
            dialog->keyboardWillHide();
    });
}

void FBDialog::removeObservers()
{
    auto& center = ns::NotificationCenter::defaultCenter();
    center.removeObserver(this, ui::DeviceOrientationDidChangeNotification);
    center.removeObserver(this, ui::KeyboardWillShowNotification);
    center.removeObserver(this, ui::KeyboardWillHideNotification);
}

void FBDialog::deviceOrientationDidChange()
{
    auto orientation = statusBarOrientation();
    if (m_showingKeyboard || !shouldRotateToOrientation(orientation))
        return;
    updateWebOrientation();
    ui::View::beginAnimations("rotate");
    ui::View::setAnimationDuration(ui::Application::statusBarOrientationAnimationDuration());
    sizeToFitOrientation(true);
    ui::View::commitAnimations();
}

void FBDialog::keyboardWillShow()
{
    m_showingKeyboard = true;
    if (deviceIsPad())
        return;
    if (isLandscape(statusBarOrientation()))
        m_webView->setFrame(cg::inset(m_webView->frame(), -BorderWidth, -BorderWidth));
}

void FBDialog::keyboardWillHide()
{
    m_showingKeyboard = false;
    if (deviceIsPad())
        return;
    if (isLandscape(statusBarOrientation()))
        m_webView->setFrame(cg::inset(m_webView->frame(), BorderWidth, BorderWidth));
}

// MARK: The page

bool FBDialog::webViewShouldStartLoadWithRequest(ui::WebView&, const ns::URLRequest& request,
                                                 ui::WebViewNavigationType navigationType)
{
    auto keep = self<FBDialog>();
    const auto& url = request.URL();
    if (!url)
        return false;
    if (url->scheme() == "fbconnect") {
        if (ns::hasPrefix(url->resourceSpecifier(), "//cancel")) {
            std::string text = url->absoluteString();
            auto code = getStringFromUrl(text, "error_code=");
            if (code) {
                auto info = ns::MutableDictionary::make();
                if (auto message = getStringFromUrl(text, "error_msg="))
                    info->setObject(ns::String::make(*message), "error_msg");
                dismissWithError(FBRequest::formError(ns::intValue(*code), info), true);
            } else {
                dialogDidCancel(url);
            }
        } else {
            dialogDidSucceed(url);
        }
        return false;
    }
    if ((m_loadURL && m_loadURL->isEqual(*url)) || navigationType != ui::WebViewNavigationType::LinkClicked)
        return true;
    ns::Ref<FBDialogDelegate> delegate;
    if (delegateAnswers(FBDialogDelegate::Operation::ShouldOpenURLInExternalBrowser, delegate) &&
        !delegate->dialogShouldOpenURLInExternalBrowser(*this, url))
        return false;
    ui::Application::sharedApplication().openURL(url);
    return false;
}

void FBDialog::webViewDidFinishLoad(ui::WebView&)
{
    m_spinner->stopAnimating();
    m_spinner->setHidden(true);
    updateWebOrientation();
}

bool FBDialog::isIgnoredLoadError(const ns::Error& error)
{
    return (error.domain() == ui::URLErrorDomain && error.code() == ui::URLErrorCancelled) ||
           (error.domain() == ui::WebKitErrorDomain && error.code() == ui::WebKitErrorFrameLoadInterrupted);
}

void FBDialog::webViewDidFailLoadWithError(ui::WebView&, const ns::Error& error)
{
    if (isIgnoredLoadError(error))
        return;
    dismissWithError(ns::Error::make(error.domain(), error.code(), error.userInfo()), true);
}

// MARK: Drawing

void FBDialog::drawRect(cg::Context& context, cg::Rect rect)
{
    context.saveGState();
    context.setFillColor(PanelFill);
    context.fillRect(rect);
    cg::Rect lines =
        cg::makeRect(std::ceil(rect.origin.x + BorderWidth), std::ceil(rect.origin.y + BorderWidth) + 1,
                     rect.size.width - BorderWidth * 2, m_webView->frame().size.height + 1);
    context.setStrokeColor(FrameLines);
    context.setLineWidth(1);
    float left = lines.origin.x, top = lines.origin.y;
    float right = left + lines.size.width, bottom = top + lines.size.height;
    const cg::Point edges[][2] = {{{left, top}, {right, top}},
                                  {{right, top}, {right, bottom}},
                                  {{right, bottom}, {left, bottom}},
                                  {{left, bottom}, {left, top}}};
    for (const auto& edge : edges) {
        // Half a point in, so that a line of width 1 covers whole pixels.
        context.beginPath();
        context.moveToPoint(edge[0].x + 0.5f, edge[0].y + 0.5f);
        context.addLineToPoint(edge[1].x + 0.5f, edge[1].y + 0.5f);
        context.strokePath();
    }
    context.restoreGState();
}
