#pragma once

#include "foundation/Date.h"
#include "uikit/View.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ns {
class Error;
class URLRequest;
} // namespace ns

namespace ui {

class WebView;

enum class WebViewNavigationType {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5
};

// The error domains and codes a load can fail with.
inline constexpr const char* URLErrorDomain = "NSURLErrorDomain";
inline constexpr const char* WebKitErrorDomain = "WebKitErrorDomain";
inline constexpr long URLErrorCancelled = -999;
inline constexpr long URLErrorTimedOut = -1001;
inline constexpr long URLErrorCannotFindHost = -1003;
inline constexpr long URLErrorNotConnectedToInternet = -1009;
inline constexpr long URLErrorFileDoesNotExist = -1100;
inline constexpr long WebKitErrorFrameLoadInterrupted = 102;

class WebViewDelegate
{
public:
    virtual ~WebViewDelegate() = default;
    // webView:shouldStartLoadWithRequest:navigationType:
    virtual bool webViewShouldStartLoadWithRequest(WebView&, const ns::URLRequest&, WebViewNavigationType)
    {
        return true;
    }
    virtual void webViewDidStartLoad(WebView&) {}
    virtual void webViewDidFinishLoad(WebView&) {}
    // webView:didFailLoadWithError:
    virtual void webViewDidFailLoadWithError(WebView&, const ns::Error&) {}
};

// What a page does when loaded, as tests and scripts describe it: its title, the answers to scripts,
// the cookies its server sets, a redirect, or a failure.
struct WebPage
{
    std::string title;
    std::map<std::string, std::string> scriptAnswers; // script text to its result
    // Set-Cookie fields sent with the page (or with its redirect), kept in the shared cookie storage as a
    // browser keeps them, as a sign-in page does.
    std::vector<std::string> setCookies;
    std::optional<std::string> redirectTo; // the server sends the browser on
    ns::Ref<ns::Error> error;              // the load fails
    ns::TimeInterval delay = 0;            // seconds until the load ends
};
// The request a page source is asked with carries the "Cookie" field of the shared cookie storage's
// cookies for its URL, as a browser sends them.
using WebPageSource = std::function<WebPage(const ns::URLRequest& request)>;

// A page source that answers later, as a network does: `done` is called once with the page, on the main
// run loop. It gives back a way to cancel the load (after which `done` is not called), or nothing.
using WebPageLoader =
    std::function<std::function<void()>(const ns::URLRequest& request, std::function<void(WebPage)> done)>;

// The text of a page's <title> element, "" without one.
std::string titleOfHTML(const std::string& html);

// A page source that loads each page over HTTP(S), as a browser does, without holding up the run loop:
// the server's status, redirect and title make the page; cookies are the URL loading's own. Redirects
// come back to the web view one at a time, so that its delegate sees each.
WebPageLoader networkPageSource();

// A browser view that loads through a page source: each load asks the page source what happens,
// telling the delegate as the platform does (should-start, did-start, then did-finish or did-fail, on
// the run loop). It shows the address and title, not the page.
class WebView : public View
{
public:
    static ns::Ref<WebView> create() { return ns::Factory<WebView>::make(); }
    static ns::Ref<WebView> create(cg::Rect frame) { return ns::Factory<WebView>::make(frame); }
    ~WebView() override;

    void loadRequest(const ns::Ref<ns::URLRequest>& request);
    void loadHTMLString(const std::string& html, const std::string& baseURL);
    void stopLoading();
    void reload();
    void goBack();
    void goForward();
    bool canGoBack() const { return m_historyIndex > 0; }
    bool canGoForward() const { return m_historyIndex + 1 < m_history.size(); }
    bool isLoading() const { return m_loading; }
    // The request shown now (or loading), or nothing.
    const ns::Ref<ns::URLRequest>& request() const { return m_request; }
    // The page's answer to the script, "" for one it does not know; "document.title" is the title.
    std::string stringByEvaluatingJavaScriptFromString(const std::string& script);
    const std::vector<std::string>& evaluatedScripts() const { return m_scripts; }
    const std::string& pageTitle() const { return m_page.title; }

    // A person follows a link on the page.
    void clickLink(const std::string& url);

    bool scalesPageToFit() const { return m_scalesPageToFit; }
    void setScalesPageToFit(bool scales) { m_scalesPageToFit = scales; }
    unsigned dataDetectorTypes() const { return m_dataDetectorTypes; }
    void setDataDetectorTypes(unsigned types) { m_dataDetectorTypes = types; }

    ns::Ref<WebViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<WebViewDelegate>& delegate) { m_delegate = delegate; }

    // This view's pages; without one, the default source; without that, every page loads, titled by its
    // host.
    void setPageSource(WebPageSource source);
    void setPageSource(WebPageLoader loader) { m_source = std::move(loader); }
    void setPageSource(std::nullptr_t) { m_source = nullptr; }
    static void setDefaultPageSource(WebPageSource source);
    static void setDefaultPageSource(WebPageLoader loader);
    static void setDefaultPageSource(std::nullptr_t) { setDefaultPageSource(WebPageLoader()); }

    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UIWebView"; }

protected:
    WebView();
    explicit WebView(cg::Rect frame);
    friend ns::Factory<WebView>;

private:
    void start(const ns::Ref<ns::URLRequest>& request, WebViewNavigationType type, bool addToHistory);
    void finish(std::uint64_t load, const ns::Ref<ns::URLRequest>& request, int redirects);
    void pageArrived(std::uint64_t load, const ns::Ref<ns::URLRequest>& request, int redirects, WebPage page);
    // Asks the page source for the page, then hands it to `done`.
    void requestPage(const ns::Ref<ns::URLRequest>& request, std::function<void(WebPage)> done);
    void cancelPageRequest();

    ns::Weak<WebViewDelegate> m_delegate;
    WebPageLoader m_source;
    std::function<void()> m_cancelPage; // cancels the page source's load in progress
    ns::Ref<ns::URLRequest> m_request;
    WebPage m_page;
    std::vector<ns::Ref<ns::URLRequest>> m_history;
    std::size_t m_historyIndex = 0;
    std::vector<std::string> m_scripts;
    std::uint64_t m_load = 0; // the load in progress; a newer one supersedes it
    bool m_loading = false;
    bool m_scalesPageToFit = false;
    unsigned m_dataDetectorTypes = 0;
};

} // namespace ui
