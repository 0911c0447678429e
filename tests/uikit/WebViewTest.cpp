#include "UIFixture.h"

#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/RunLoop.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"
#include "testing/ClosedPort.h"
#include "testing/LoopbackServer.h"
#include "uikit/WebView.h"

#include <string>
#include <vector>

namespace {

class Browser : public ns::Object, public ui::WebViewDelegate
{
public:
    std::vector<std::string> calls;
    std::string refuse; // addresses starting with this are not loaded
    bool webViewShouldStartLoadWithRequest(ui::WebView&, const ns::URLRequest& request,
                                           ui::WebViewNavigationType type) override
    {
        std::string url = request.URLString();
        calls.push_back("should " + url + (type == ui::WebViewNavigationType::LinkClicked ? " link" : ""));
        return refuse.empty() || url.rfind(refuse, 0) != 0;
    }
    void webViewDidStartLoad(ui::WebView&) override { calls.push_back("start"); }
    void webViewDidFinishLoad(ui::WebView& view) override { calls.push_back("finish " + view.pageTitle()); }
    void webViewDidFailLoadWithError(ui::WebView&, const ns::Error& error) override
    {
        calls.push_back("fail " + error.domain() + " " + std::to_string(error.code()));
    }
};

ns::Ref<ns::URLRequest> request(const std::string& url)
{
    return ns::URLRequest::requestWithURL(ns::URL::withString(url));
}

} // namespace

using Web = UIFixture;

TEST_F(Web, LoadsTellTheDelegateOnTheRunLoop)
{
    auto browser = ns::make<Browser>();
    auto view = ui::WebView::create(cg::makeRect(0, 20, 320, 460));
    view->setDelegate(browser);
    view->setPageSource([](const ns::URLRequest& r) {
        ui::WebPage page;
        std::string url = r.URLString();
        if (url == "https://example.com/login") {
            page.title = "Sign in";
            page.scriptAnswers["document.getElementById('oauth_pin').innerHTML"] = "123456";
        } else if (url == "https://example.com/go") {
            page.redirectTo = "https://example.com/callback?token=abc";
        } else if (url == "https://example.com/missing") {
            page.error =
                ns::Error::withDescription(ui::URLErrorDomain, ui::URLErrorNotConnectedToInternet, "offline");
        }
        return page;
    });
    window->addSubview(view);

    view->loadRequest(request("https://example.com/login"));
    EXPECT_EQ(browser->calls, (std::vector<std::string>{"should https://example.com/login"}));
    EXPECT_TRUE(view->isLoading());
    driver.settle();
    EXPECT_EQ(browser->calls.back(), "finish Sign in");
    EXPECT_EQ(view->request()->URL()->host(), "example.com");
    EXPECT_EQ(view->stringByEvaluatingJavaScriptFromString("document.getElementById('oauth_pin').innerHTML"),
              "123456");
    EXPECT_EQ(view->stringByEvaluatingJavaScriptFromString("document.title"), "Sign in");
    EXPECT_EQ(view->stringByEvaluatingJavaScriptFromString("unknown()"), "");
    EXPECT_EQ(view->evaluatedScripts().size(), 3u);

    // A redirect asks again; refusing it interrupts the frame load.
    browser->calls.clear();
    browser->refuse = "https://example.com/callback";
    view->clickLink("https://example.com/go");
    driver.settle();
    EXPECT_EQ(browser->calls, (std::vector<std::string>{"should https://example.com/go link", "start",
                                                        "should https://example.com/callback?token=abc",
                                                        "fail WebKitErrorDomain 102"}));

    browser->calls.clear();
    view->loadRequest(request("https://example.com/missing"));
    driver.settle();
    EXPECT_EQ(browser->calls.back(), "fail NSURLErrorDomain -1009");

    // A second load while one runs cancels the first.
    browser->calls.clear();
    browser->refuse.clear();
    view->loadRequest(request("https://example.com/a"));
    view->loadRequest(request("https://example.com/b"));
    driver.settle();
    EXPECT_EQ(browser->calls,
              (std::vector<std::string>{"should https://example.com/a", "should https://example.com/b",
                                        "fail NSURLErrorDomain -999", "start", "finish "}));
    EXPECT_TRUE(view->canGoBack());
}

TEST_F(Web, APageCanTakeTimeToLoad)
{
    auto browser = ns::make<Browser>();
    auto view = ui::WebView::create(cg::makeRect(0, 0, 320, 460));
    view->setDelegate(browser);
    view->setPageSource([](const ns::URLRequest&) {
        ui::WebPage page;
        page.title = "Slow";
        page.delay = 2;
        return page;
    });
    view->loadRequest(request("http://slow.example/"));
    driver.advance(1.9);
    EXPECT_EQ(browser->calls.back(), "start");
    driver.advance(0.2);
    EXPECT_EQ(browser->calls.back(), "finish Slow");
}

TEST_F(Web, APageKeepsTheCookiesItsServerSetsAndSendsThemBack)
{
    auto& storage = ns::HTTPCookieStorage::shared();
    storage.deleteAllCookies();
    auto browser = ns::make<Browser>();
    auto view = ui::WebView::create(cg::makeRect(0, 0, 320, 460));
    view->setDelegate(browser);
    std::vector<std::string> cookiesSent;
    view->setPageSource([&cookiesSent](const ns::URLRequest& r) {
        ui::WebPage page;
        std::string url = r.URLString();
        cookiesSent.push_back(url + " " + r.valueForHTTPHeaderField("Cookie").value_or("-"));
        if (url == "https://login.example.com/sign-in") {
            // The sign-in page sets its session, then sends the browser on.
            page.setCookies = {"session=abc; Path=/", "theme=dark; Domain=.example.com; Path=/",
                               "other=x; Domain=elsewhere.net"};
            page.redirectTo = "https://login.example.com/allow";
        } else if (url == "https://login.example.com/allow") {
            page.title = "Allow";
            page.setCookies = {"remember=1; Path=/allow; Max-Age=3600"};
        }
        return page;
    });

    view->loadRequest(request("https://login.example.com/sign-in"));
    driver.settle();
    EXPECT_EQ(browser->calls.back(), "finish Allow");
    view->loadRequest(request("https://login.example.com/allow"));
    driver.settle();
    view->loadRequest(request("https://www.example.com/"));
    driver.settle();

    EXPECT_EQ(cookiesSent, (std::vector<std::string>{
                               "https://login.example.com/sign-in -",
                               "https://login.example.com/allow session=abc; theme=dark",
                               "https://login.example.com/allow remember=1; session=abc; theme=dark",
                               "https://www.example.com/ theme=dark",
                           }));
    // A cookie for a domain the page's host may not set is refused.
    EXPECT_EQ(storage.cookies().size(), 3u);
    storage.deleteAllCookies();
}

// Pages loaded over HTTP: each redirect comes back to the delegate, which may stop at an address of the
// application's own scheme, as sign-in pages end.
TEST_F(Web, PagesFromTheNetworkShowEachRedirectToTheDelegate)
{
    auto& storage = ns::HTTPCookieStorage::shared();
    storage.deleteAllCookies();
    testkit::LoopbackServer server;
    ASSERT_TRUE(server.start());
    server.route("/authorize",
                 testkit::ScriptedReply::redirect("login?app=1").header("Set-Cookie", "signed=1"));
    server.route("/login", testkit::ScriptedReply::text(200, "<html><title>Allow access</title></html>"));
    server.route("/allow", testkit::ScriptedReply::redirect("fbconnect://success#access_token=abc"));
    server.route("/plain", testkit::ScriptedReply::text(404, "no title here"));

    auto browser = ns::make<Browser>();
    browser->refuse = "fbconnect:";
    auto view = ui::WebView::create(cg::makeRect(0, 0, 320, 460));
    view->setDelegate(browser);
    view->setPageSource(ui::networkPageSource());

    // Each page arrives from the server on the run loop: the next load starts once the last has ended.
    auto loaded = [&] {
        std::size_t before = browser->calls.size();
        ASSERT_TRUE(ns::RunLoop::main().runUntil(
            [&] {
                for (std::size_t i = before; i < browser->calls.size(); ++i)
                    if (browser->calls[i].rfind("finish", 0) == 0 || browser->calls[i].rfind("fail", 0) == 0)
                        return true;
                return false;
            },
            10));
        driver.settle();
    };
    view->loadRequest(request(server.url("/authorize")));
    loaded();
    view->clickLink(server.url("/allow"));
    loaded();
    view->loadRequest(request(server.url("/plain")));
    loaded();
    testkit::ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    std::string refused = "http://127.0.0.1:";
    refused += std::to_string(closed.port());
    refused += "/";
    view->loadRequest(request(refused));
    loaded();

    EXPECT_EQ(browser->calls, (std::vector<std::string>{
                                  "should " + server.url("/authorize"),
                                  "start",
                                  "should " + server.url("/login?app=1"),
                                  "finish Allow access",
                                  "should " + server.url("/allow") + " link",
                                  "start",
                                  "should fbconnect://success#access_token=abc",
                                  "fail WebKitErrorDomain 102",
                                  "should " + server.url("/plain"),
                                  "start",
                                  "finish 127.0.0.1",
                                  "should " + refused,
                                  "start",
                                  "fail NSURLErrorDomain -1004",
                              }));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].target, "/login?app=1");
    EXPECT_EQ(requests[1].header("Cookie"), "signed=1");
    storage.deleteAllCookies();
}
