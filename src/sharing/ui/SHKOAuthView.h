#pragma once

#include "uikit/ViewController.h"
#include "uikit/WebView.h"

#include <mutex>
#include <optional>
#include <string>

class SHKOAuthView;

namespace ns {
class Dictionary;
class Error;
class URL;
} // namespace ns
namespace ui {
class ActivityIndicatorView;
}

// What the sign-in screen asks of the one it signs in for.
class SHKOAuthViewDelegate
{
public:
    virtual ~SHKOAuthViewDelegate() = default;
    // The address the service sends the browser to once the user has granted access; reaching it ends the
    // sign-in.
    virtual ns::Ref<ns::URL> authorizeCallbackURL() const = 0;
    // tokenAuthorizeView:didFinishWithSuccess:queryParams:error: the sign-in ended; on success the
    // callback's query parameters (nothing when it had no query), on failure the error, if any.
    virtual void tokenAuthorizeView(SHKOAuthView& view, bool success,
                                    const ns::Ref<ns::Dictionary>& queryParams,
                                    const ns::Ref<ns::Error>& error) = 0;
    // The user gave up.
    virtual void tokenAuthorizeCancelledView(SHKOAuthView& view) = 0;
};

// The screen in which the user signs in to a web service and grants the application access: a web view on
// the service's authorise page that watches every load for the service's callback address. Reaching the
// callback stops the load and hands its query parameters to the delegate; Cancel gives up.
class SHKOAuthView : public ui::ViewController, public ui::WebViewDelegate
{
public:
    // initWithURL:delegate: the page starts loading at once.
    static ns::Ref<SHKOAuthView> create(const ns::Ref<ns::URL>& authorizeURL,
                                        const ns::Ref<SHKOAuthViewDelegate>& delegate);
    ~SHKOAuthView() override;

    const ns::Ref<ui::WebView>& webView() const { return m_webView; }
    void setWebView(ns::Ref<ui::WebView> webView) { m_webView = std::move(webView); }
    // Retained; let go once the callback has been reported.
    ns::Ref<SHKOAuthViewDelegate> delegate() const;
    void setDelegate(ns::Ref<SHKOAuthViewDelegate> delegate);
    // Made on the first load.
    const ns::Ref<ui::ActivityIndicatorView>& spinner() const { return m_spinner; }
    void setSpinner(ns::Ref<ui::ActivityIndicatorView> spinner) { m_spinner = std::move(spinner); }

    void startSpinner();
    void stopSpinner();
    // Tells the delegate, then hides the screen.
    void cancel();

    // Whether `address` is the callback: the same scheme, host (in any case) and port, and a path at or
    // below the callback's path. A callback text that appears elsewhere in an address (its query, another
    // host's path) does not count.
    static bool isCallback(const ns::URL& address, const ns::URL& callback);
    // The query's "name=value" pieces, split at "&" and at each piece's first "=", percent-decoded (a piece
    // that does not decode stays as it came); pieces without "=" are skipped. Nothing without a query.
    static ns::Ref<ns::Dictionary> queryParameters(const ns::URL& address);
    // The host of the micro-blogging service's sign-in pages, where a PIN page can appear.
    static std::optional<std::string> pinPageHost();

    void loadView() override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }

    // The load decision; subclasses replace it.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, const ns::URLRequest& request,
                                           ui::WebViewNavigationType navigationType) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const ns::Error& error) override;

    std::string className() const override { return "SHKOAuthView"; }

protected:
    SHKOAuthView();
    friend ns::Factory<SHKOAuthView>;
    // The Cancel button, the web view and the first load; create() runs it once the view is shared.
    void setUp(const ns::Ref<ns::URL>& authorizeURL, const ns::Ref<SHKOAuthViewDelegate>& delegate);
    // What the callback address hands the delegate: its query's pairs; a service that answers in
    // another part of the address reads that instead.
    virtual ns::Ref<ns::Dictionary> callbackParameters(const ns::URL& address) const
    {
        return queryParameters(address);
    }
    // Sends the delegate the end of the sign-in, keeping this view alive through the call.
    void reportFinish(bool success, const ns::Ref<ns::Dictionary>& queryParams,
                      const ns::Ref<ns::Error>& error);

private:
    ns::Ref<ui::WebView> m_webView;
    mutable std::mutex m_delegateMutex;
    ns::Ref<SHKOAuthViewDelegate> m_delegate;
    ns::Ref<ui::ActivityIndicatorView> m_spinner;
};

// A plain controller that allows every interface orientation.
class SHKViewControllerWrapper : public ui::ViewController
{
public:
    static ns::Ref<SHKViewControllerWrapper> create()
    {
        return ns::Factory<SHKViewControllerWrapper>::make();
    }

    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }
    std::string className() const override { return "SHKViewControllerWrapper"; }

protected:
    SHKViewControllerWrapper() = default;
    friend ns::Factory<SHKViewControllerWrapper>;
};
