#include "uikit/WebView.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"
#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/StringDrawing.h"

namespace ui {
namespace {

// Redirects followed before a load gives up, as browsers do.
constexpr int MaxRedirects = 20;

WebPageLoader& defaultSource()
{
    static WebPageLoader source;
    return source;
}

// A page source that answers at once, as one that answers later.
WebPageLoader answeringAtOnce(WebPageSource source)
{
    if (!source)
        return nullptr;
    return [source = std::move(source)](const ns::URLRequest& request, std::function<void(WebPage)> done) {
        done(source(request));
        return std::function<void()>();
    };
}

ns::Ref<ns::Error> makeError(const char* domain, long code, const std::string& description,
                             const std::string& url)
{
    auto info = ns::MutableDictionary::make();
    info->setObject(ns::String::make(description), ns::LocalizedDescriptionKey);
    info->setObject(ns::String::make(url), "NSErrorFailingURLStringKey");
    return ns::Error::make(domain, code, info);
}

} // namespace

std::string titleOfHTML(const std::string& html)
{
    auto open = html.find("<title>");
    if (open == std::string::npos)
        return {};
    auto close = html.find("</title>", open);
    if (close == std::string::npos)
        return {};
    return html.substr(open + 7, close - open - 7);
}

WebView::WebView() : WebView(cg::Rect{})
{
}

WebView::WebView(cg::Rect frame) : View(frame)
{
    setBackgroundColor(Color::whiteColor());
}

WebView::~WebView()
{
    ns::RunLoop::main().cancelPerforms(this);
    cancelPageRequest();
}

void WebView::setPageSource(WebPageSource source)
{
    m_source = answeringAtOnce(std::move(source));
}

void WebView::setDefaultPageSource(WebPageSource source)
{
    defaultSource() = answeringAtOnce(std::move(source));
}

void WebView::setDefaultPageSource(WebPageLoader loader)
{
    defaultSource() = std::move(loader);
}

void WebView::cancelPageRequest()
{
    if (auto cancel = std::move(m_cancelPage)) {
        m_cancelPage = nullptr;
        cancel();
    }
}

void WebView::requestPage(const ns::Ref<ns::URLRequest>& requestRef, std::function<void(WebPage)> done)
{
    const ns::URLRequest& request = *requestRef;
    // The server's answer arrives before the page ends loading: its cookies are kept at once, even when
    // it sends the browser on.
    auto arrived = [url = request.URLString(), handles = request.HTTPShouldHandleCookies(),
                    done = std::move(done)](WebPage page) {
        if (!page.setCookies.empty() && handles)
            ns::HTTPCookieStorage::shared().setCookiesFromFields(page.setCookies, url);
        done(std::move(page));
    };
    cancelPageRequest();
    WebPageLoader source = m_source ? m_source : defaultSource();
    if (!source) {
        WebPage page;
        if (request.URL())
            page.title = request.URL()->host().value_or(request.URLString());
        arrived(std::move(page));
        return;
    }
    {
        auto& storage = ns::HTTPCookieStorage::shared();
        auto cookies = storage.cookiesForURL(request.URL().get());
        if (cookies.empty() || !request.HTTPShouldHandleCookies() ||
            request.valueForHTTPHeaderField("Cookie")) {
            m_cancelPage = source(request, std::move(arrived));
        } else {
            std::string field;
            for (const auto& cookie : cookies) {
                if (!field.empty())
                    field += "; ";
                field += cookie->name();
                field += '=';
                field += cookie->value();
            }
            auto withCookies = request.mutableCopy();
            withCookies->setValue(field, "Cookie");
            m_cancelPage = source(*withCookies, std::move(arrived));
        }
    }
}

void WebView::loadRequest(const ns::Ref<ns::URLRequest>& request)
{
    if (!request)
        return;
    start(request, WebViewNavigationType::Other, true);
}

void WebView::clickLink(const std::string& url)
{
    auto parsed = ns::URL::withString(url);
    if (!parsed)
        return;
    start(ns::URLRequest::requestWithURL(parsed), WebViewNavigationType::LinkClicked, true);
}

void WebView::start(const ns::Ref<ns::URLRequest>& request, WebViewNavigationType type, bool addToHistory)
{
    auto keep = self<WebView>();
    if (auto delegate = m_delegate.lock();
        delegate && !delegate->webViewShouldStartLoadWithRequest(*this, *request, type))
        return;
    // A new load cancels the one in progress.
    if (m_loading) {
        m_loading = false;
        ++m_load;
        cancelPageRequest();
        auto error = makeError(URLErrorDomain, URLErrorCancelled, "The operation couldn't be completed.",
                               m_request ? m_request->URLString() : std::string());
        if (auto delegate = m_delegate.lock())
            delegate->webViewDidFailLoadWithError(*this, *error);
    }
    m_request = request;
    if (addToHistory) {
        if (!m_history.empty())
            m_history.resize(m_historyIndex + 1);
        m_history.push_back(request);
        m_historyIndex = m_history.size() - 1;
    }
    m_loading = true;
    std::uint64_t load = ++m_load;
    auto weak = weakSelf<WebView>();
    ns::RunLoop::main().post([weak, load, request] {
        auto view = weak.lock();
        if (!view || view->m_load != load)
            return;
        if (auto delegate = view->m_delegate.lock())
            delegate->webViewDidStartLoad(*view);
        if (view->m_load != load)
            return;
        view->finish(load, request, 0);
    });
}

void WebView::finish(std::uint64_t load, const ns::Ref<ns::URLRequest>& request, int redirects)
{
    auto weak = weakSelf<WebView>();
    requestPage(request, [weak, load, request, redirects](WebPage page) {
        auto view = weak.lock();
        if (!view || view->m_load != load)
            return;
        view->m_cancelPage = nullptr;
        view->pageArrived(load, request, redirects, std::move(page));
    });
}

void WebView::pageArrived(std::uint64_t load, const ns::Ref<ns::URLRequest>& request, int redirects,
                          WebPage page)
{
    auto weak = weakSelf<WebView>();
    auto end = [weak, load, request, redirects, page] {
        auto view = weak.lock();
        if (!view || view->m_load != load)
            return;
        auto delegate = view->m_delegate.lock();
        if (page.redirectTo) {
            auto url = ns::URL::withString(*page.redirectTo);
            auto next = url ? ns::URLRequest::requestWithURL(url) : nullptr;
            if (next && redirects < MaxRedirects) {
                // The delegate is asked again; refusing interrupts the frame load.
                if (delegate && !delegate->webViewShouldStartLoadWithRequest(*view, *next,
                                                                             WebViewNavigationType::Other)) {
                    view->m_loading = false;
                    auto error = makeError(WebKitErrorDomain, WebKitErrorFrameLoadInterrupted,
                                           "Frame load interrupted", next->URLString());
                    if (auto d = view->m_delegate.lock())
                        d->webViewDidFailLoadWithError(*view, *error);
                    return;
                }
                if (view->m_load != load)
                    return;
                view->m_request = next;
                if (!view->m_history.empty())
                    view->m_history[view->m_historyIndex] = next;
                view->finish(load, next, redirects + 1);
                return;
            }
        }
        view->m_loading = false;
        if (page.error || (page.redirectTo && redirects >= MaxRedirects)) {
            auto error = page.error ? page.error
                                    : makeError(URLErrorDomain, -1007, "too many HTTP redirects",
                                                request->URLString());
            if (delegate)
                delegate->webViewDidFailLoadWithError(*view, *error);
            return;
        }
        view->m_page = page;
        view->setNeedsDisplay();
        if (delegate)
            delegate->webViewDidFinishLoad(*view);
    };
    if (page.delay > 0)
        ns::RunLoop::main().performAfterDelay(this, "webViewLoad", page.delay, end);
    else
        ns::RunLoop::main().post(end);
}

void WebView::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    auto url = ns::URL::withString(baseURL.empty() ? "about:blank" : baseURL);
    if (!url)
        url = ns::URL::withString("about:blank");
    auto request = ns::URLRequest::requestWithURL(url);
    std::string title = titleOfHTML(html);
    auto previous = m_source;
    // The page is the given text: its title comes from it.
    m_source = [title, previous, url](const ns::URLRequest& r, std::function<void(WebPage)> done) {
        if (!(r.URL() && r.URL()->isEqual(*url)) && previous)
            return previous(r, std::move(done));
        WebPage page;
        if (r.URL() && r.URL()->isEqual(*url))
            page.title = title;
        else
            page.title = r.URL() ? r.URL()->host().value_or("") : "";
        done(std::move(page));
        return std::function<void()>();
    };
    start(request, WebViewNavigationType::Other, true);
}

void WebView::stopLoading()
{
    if (!m_loading)
        return;
    m_loading = false;
    ++m_load;
    cancelPageRequest();
    ns::RunLoop::main().cancelPerforms(this, "webViewLoad");
}

void WebView::reload()
{
    if (m_request)
        start(m_request, WebViewNavigationType::Reload, false);
}

void WebView::goBack()
{
    if (!canGoBack())
        return;
    --m_historyIndex;
    start(m_history[m_historyIndex], WebViewNavigationType::BackForward, false);
}

void WebView::goForward()
{
    if (!canGoForward())
        return;
    ++m_historyIndex;
    start(m_history[m_historyIndex], WebViewNavigationType::BackForward, false);
}

std::string WebView::stringByEvaluatingJavaScriptFromString(const std::string& script)
{
    m_scripts.push_back(script);
    if (auto found = m_page.scriptAnswers.find(script); found != m_page.scriptAnswers.end())
        return found->second;
    if (script == "document.title")
        return m_page.title;
    return {};
}

void WebView::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = bounds();
    context.setRGBFillColor(0.93f, 0.93f, 0.93f, 1);
    context.fillRect(cg::makeRect(b.origin.x, b.origin.y, b.size.width, 40));
    auto small = Font::systemFontOfSize(12);
    auto bold = Font::boldSystemFontOfSize(16);
    context.setRGBFillColor(0.3f, 0.3f, 0.3f, 1);
    drawText(context, m_request ? m_request->URLString() : std::string("about:blank"),
             cg::makeRect(b.origin.x + 8, b.origin.y + 12, b.size.width - 16, 16), *small,
             LineBreakMode::TailTruncation);
    context.setRGBFillColor(0, 0, 0, 1);
    drawText(context, m_loading ? std::string("Loading\u2026") : m_page.title,
             cg::makeRect(b.origin.x + 8, b.origin.y + 52, b.size.width - 16, 40), *bold,
             LineBreakMode::WordWrap);
}

} // namespace ui
