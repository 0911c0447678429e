#include "sharing/ui/SHKOAuthView.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Escaping.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "uikit/ActivityIndicatorView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/NavigationItem.h"

#include <string_view>

namespace {

// The script that reads the PIN a service shows instead of sending the browser to the callback.
constexpr const char* PinScript = "document.getElementById('oauth_pin').innerHTML";

// Load errors that end no sign-in: a load cancelled by a newer one, a frame load interrupted (as when the
// load decision refuses the callback) and a missing file.
constexpr long IgnoredLoadErrors[] = {ui::URLErrorCancelled, ui::WebKitErrorFrameLoadInterrupted,
                                      ui::URLErrorFileDoesNotExist};

std::optional<int> effectivePort(const ns::URL& url, const std::string& scheme)
{
    if (url.port())
        return url.port();
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    return std::nullopt;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = ns::toLowerAscii(c);
    return text;
}

// A percent-decoded query part, or the part as it came when its escapes do not decode.
std::string decoded(std::string_view part)
{
    if (auto text = ns::replacingPercentEscapes(part))
        return *text;
    return std::string(part);
}

} // namespace

SHKOAuthView::SHKOAuthView() = default;

SHKOAuthView::~SHKOAuthView()
{
    if (m_webView)
        m_webView->stopLoading();
}

ns::Ref<SHKOAuthView> SHKOAuthView::create(const ns::Ref<ns::URL>& authorizeURL,
                                           const ns::Ref<SHKOAuthViewDelegate>& delegate)
{
    auto view = ns::Factory<SHKOAuthView>::make();
    view->setUp(authorizeURL, delegate);
    return view;
}

void SHKOAuthView::setUp(const ns::Ref<ns::URL>& authorizeURL, const ns::Ref<SHKOAuthViewDelegate>& delegate)
{
    auto weak = weakSelf<SHKOAuthView>();
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel,
                                                                             shared_from_this(),
                                                                             [weak](const ns::Id&) {
                                                                                 if (auto view = weak.lock())
                                                                                     view->cancel();
                                                                             }),
                                           false);
    setDelegate(delegate);
    m_webView = ui::WebView::create(cg::Rect{});
    m_webView->setDelegate(self<SHKOAuthView>());
    m_webView->setScalesPageToFit(true);
    m_webView->setDataDetectorTypes(0);
    if (authorizeURL)
        m_webView->loadRequest(ns::URLRequest::requestWithURL(authorizeURL));
}

ns::Ref<SHKOAuthViewDelegate> SHKOAuthView::delegate() const
{
    std::lock_guard lock(m_delegateMutex);
    return m_delegate;
}

void SHKOAuthView::setDelegate(ns::Ref<SHKOAuthViewDelegate> delegate)
{
    ns::Ref<SHKOAuthViewDelegate> previous;
    {
        std::lock_guard lock(m_delegateMutex);
        previous = std::exchange(m_delegate, std::move(delegate));
    }
    // `previous` lets go outside the lock: the delegate's destructor may reach back here.
}

void SHKOAuthView::loadView()
{
    setView(m_webView);
}

void SHKOAuthView::viewDidDisappear(bool animated)
{
    ui::ViewController::viewDidDisappear(animated);
    SHK::currentHelper()->viewWasDismissed();
}

void SHKOAuthView::startSpinner()
{
    if (!m_spinner) {
        m_spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::Gray);
        m_spinner->setHidesWhenStopped(true);
        navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withCustomView(m_spinner), false);
    }
    m_spinner->startAnimating();
}

void SHKOAuthView::stopSpinner()
{
    if (m_spinner)
        m_spinner->stopAnimating();
}

void SHKOAuthView::cancel()
{
    auto keep = self<SHKOAuthView>();
    if (auto delegate = this->delegate())
        delegate->tokenAuthorizeCancelledView(*this);
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
}

void SHKOAuthView::reportFinish(bool success, const ns::Ref<ns::Dictionary>& queryParams,
                                const ns::Ref<ns::Error>& error)
{
    auto keep = self<SHKOAuthView>();
    if (auto delegate = this->delegate())
        delegate->tokenAuthorizeView(*this, success, queryParams, error);
}

bool SHKOAuthView::isCallback(const ns::URL& address, const ns::URL& callback)
{
    if (!address.scheme() || !callback.scheme())
        return false;
    std::string scheme = lowered(*address.scheme());
    if (scheme != lowered(*callback.scheme()))
        return false;
    auto host = address.host();
    auto callbackHost = callback.host();
    if (!host || !callbackHost || !ns::equalsIgnoringAsciiCase(*host, *callbackHost))
        return false;
    if (effectivePort(address, scheme) != effectivePort(callback, scheme))
        return false;
    // A path at or below the callback's: "/done" and "/done/more" under "/done", not "/doneandmore".
    std::string path = address.path().value_or("");
    std::string callbackPath = callback.path().value_or("");
    if (callbackPath.empty() || callbackPath == "/" || path == callbackPath)
        return true;
    return path.size() > callbackPath.size() && path.compare(0, callbackPath.size(), callbackPath) == 0 &&
           path[callbackPath.size()] == '/';
}

ns::Ref<ns::Dictionary> SHKOAuthView::queryParameters(const ns::URL& address)
{
    if (!address.query())
        return nullptr;
    auto parameters = ns::MutableDictionary::make();
    std::string_view query = *address.query();
    while (true) {
        std::size_t end = query.find('&');
        std::string_view piece = query.substr(0, end);
        // A value may hold "=" itself ("a=b=c" is "b=c" under "a"), as a Base64 text does.
        if (std::size_t equals = piece.find('='); equals != std::string_view::npos)
            parameters->setObject(ns::String::make(decoded(piece.substr(equals + 1))),
                                  decoded(piece.substr(0, equals)));
        if (end == std::string_view::npos)
            break;
        query.remove_prefix(end + 1);
    }
    return parameters;
}

std::optional<std::string> SHKOAuthView::pinPageHost()
{
    auto text = SHKConfiguration::textValue("twitterAPIURL");
    if (!text)
        return std::nullopt;
    auto url = ns::URL::withString(*text);
    return url ? url->host() : std::nullopt;
}

bool SHKOAuthView::webViewShouldStartLoadWithRequest(ui::WebView&, const ns::URLRequest& request,
                                                     ui::WebViewNavigationType)
{
    auto delegate = this->delegate();
    const auto& address = request.URL();
    auto callback = delegate ? delegate->authorizeCallbackURL() : nullptr;
    if (!address || !callback || !isCallback(*address, *callback))
        return true;
    auto keep = self<SHKOAuthView>();
    delegate->tokenAuthorizeView(*this, true, callbackParameters(*address), nullptr);
    // Letting the delegate go breaks the cycle between the view and the sharer that shows it.
    setDelegate(nullptr);
    // The callback page itself is never loaded.
    return false;
}

void SHKOAuthView::webViewDidStartLoad(ui::WebView&)
{
    startSpinner();
}

void SHKOAuthView::webViewDidFinishLoad(ui::WebView& webView)
{
    stopSpinner();
    const auto& request = webView.request();
    auto host = request && request->URL() ? request->URL()->host() : std::nullopt;
    auto pinHost = pinPageHost();
    if (!host || !pinHost || *host != *pinHost)
        return;
    if (webView.stringByEvaluatingJavaScriptFromString(PinScript).empty())
        return;
    // The service shows a PIN instead of sending the browser to the callback: the application is
    // registered with it for PIN sign-in, which this sign-in cannot finish.
    reportFinish(
        false, nullptr,
        SHK::errorWithDescription(SHKLookupLocalizedText(
            "Your SHKTwitter config is incorrect.  You must set your application type to Browser and "
            "define a callback url.  See SHKConfig for more details")));
}

void SHKOAuthView::webViewDidFailLoadWithError(ui::WebView&, const ns::Error& error)
{
    for (long ignored : IgnoredLoadErrors)
        if (error.code() == ignored)
            return;
    stopSpinner();
    // The delegate gets the error itself when it is shared, else an equal one.
    auto shared = std::const_pointer_cast<ns::Error>(
        std::static_pointer_cast<const ns::Error>(error.weak_from_this().lock()));
    if (!shared)
        shared = ns::Error::make(error.domain(), error.code(), error.userInfo());
    reportFinish(false, nullptr, shared);
}
