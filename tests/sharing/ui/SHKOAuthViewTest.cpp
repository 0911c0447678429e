#include "sharing/support/FormFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"
#include "sharing/ui/SHKOAuthView.h"
#include "uikit/ActivityIndicatorView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* PinScript = "document.getElementById('oauth_pin').innerHTML";
constexpr const char* PinMessage =
    "Your SHKTwitter config is incorrect.  You must set your application type to "
    "Browser and define a callback url.  See SHKConfig for more details";

using Parameters = std::optional<std::map<std::string, std::string>>;

Parameters parametersOf(const ns::Ref<ns::Dictionary>& dictionary)
{
    if (!dictionary)
        return std::nullopt;
    std::map<std::string, std::string> parameters;
    for (const auto& key : dictionary->allKeys()) {
        auto value = ns::cast<ns::String>(dictionary->objectForKey(key));
        parameters[ns::describe(key)] = value ? value->str() : "(not a text)";
    }
    return parameters;
}

// Signs in through the view and writes down what it hears.
class Signer : public ns::Object, public SHKOAuthViewDelegate
{
public:
    explicit Signer(std::string callback) : callback(ns::URL::withString(callback)) {}

    ns::Ref<ns::URL> authorizeCallbackURL() const override { return callback; }
    void tokenAuthorizeView(SHKOAuthView&, bool success, const ns::Ref<ns::Dictionary>& queryParams,
                            const ns::Ref<ns::Error>& anError) override
    {
        calls.push_back(success ? "finish YES" : "finish NO");
        parameters = parametersOf(queryParams);
        error = anError;
    }
    void tokenAuthorizeCancelledView(SHKOAuthView&) override { calls.push_back("cancelled"); }

    ns::Ref<ns::URL> callback;
    std::vector<std::string> calls;
    Parameters parameters;
    ns::Ref<ns::Error> error;
};

constexpr const char* Callback = "https://velmo.example/oauth/done";
constexpr const char* AuthorizePage = "https://signin.example/authorize?oauth_token=req";

ns::Ref<SHKOAuthView> makeView(const ns::Ref<Signer>& signer, const std::string& authorize,
                               ui::WebPageSource source)
{
    auto view = SHKOAuthView::create(ns::URL::withString(authorize), signer);
    // The first load is on its way: the page is asked for when it arrives.
    view->webView()->setPageSource(std::move(source));
    return view;
}

} // namespace

using OAuthView = FormFixture;

TEST_F(OAuthView, LoadsTheAuthorisePageAtOnceWithACancelButton)
{
    auto signer = ns::make<Signer>(Callback);
    auto view = makeView(signer, AuthorizePage, [](const ns::URLRequest&) {
        ui::WebPage page;
        page.title = "Allow Velmo?";
        return page;
    });
    const auto& web = view->webView();
    ASSERT_TRUE(web);
    EXPECT_TRUE(web->isLoading());
    EXPECT_EQ(web->request()->URLString(), AuthorizePage);
    EXPECT_TRUE(web->scalesPageToFit());
    EXPECT_EQ(web->dataDetectorTypes(), 0u);
    EXPECT_EQ(web->delegate(), std::static_pointer_cast<ui::WebViewDelegate>(view));
    auto cancel = view->navigationItem()->leftBarButtonItem();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->systemItem(), ui::BarButtonSystemItem::Cancel);
    EXPECT_EQ(view->view(), web);
    EXPECT_FALSE(view->spinner());

    show(view);
    // The spinner runs in the navigation bar while the page loads, and hides once it has loaded.
    ASSERT_TRUE(view->spinner());
    EXPECT_EQ(view->spinner()->activityIndicatorViewStyle(), ui::ActivityIndicatorViewStyle::Gray);
    EXPECT_EQ(view->navigationItem()->rightBarButtonItem()->customView(), view->spinner());
    EXPECT_FALSE(view->spinner()->isAnimating());
    EXPECT_EQ(web->pageTitle(), "Allow Velmo?");
    EXPECT_TRUE(signer->calls.empty());
}

TEST_F(OAuthView, RecognisesOnlyTheCallbackAndHandsOverItsDecodedQuery)
{
    using P = std::map<std::string, std::string>;
    struct Row
    {
        const char* name;
        std::string callback;
        std::string address; // where the sign-in page sends the browser
        bool recognised;
        Parameters parameters;
    };
    const Row rows[] = {
        {"token and verifier", Callback, "https://velmo.example/oauth/done?oauth_token=t&oauth_verifier=v",
         true, P{{"oauth_token", "t"}, {"oauth_verifier", "v"}}},
        {"scheme and host in another case", Callback, "HTTPS://Velmo.EXAMPLE/oauth/done?x=1", true,
         P{{"x", "1"}}},
        {"no query", Callback, "https://velmo.example/oauth/done", true, std::nullopt},
        {"a value holding equals signs", Callback, "https://velmo.example/oauth/done?a=b=c&sig=YWJj==", true,
         P{{"a", "b=c"}, {"sig", "YWJj=="}}},
        {"an empty value", Callback, "https://velmo.example/oauth/done?a=&b=2", true,
         P{{"a", ""}, {"b", "2"}}},
        {"a piece without equals sign", Callback, "https://velmo.example/oauth/done?flag&a=1", true,
         P{{"a", "1"}}},
        {"encoded names and values", Callback,
         "https://velmo.example/oauth/done?oauth_token=a%2Fb%3D%26c&n%61me=J%C3%BCrgen%20K&plus=a+b", true,
         P{{"oauth_token", "a/b=&c"}, {"name", "J\xC3\xBCrgen K"}, {"plus", "a+b"}}},
        {"an escape that is not UTF-8", Callback, "https://velmo.example/oauth/done?v=%C3&w=%FF%41", true,
         P{{"v", "%C3"}, {"w", "%FF%41"}}},
        {"a path below the callback", Callback, "https://velmo.example/oauth/done/more?x=1", true,
         P{{"x", "1"}}},
        {"the default port written out", Callback, "https://velmo.example:443/oauth/done?x=1", true,
         P{{"x", "1"}}},
        {"a scheme of the application's own", "velmo-oauth://done", "velmo-oauth://done?oauth_verifier=v",
         true, P{{"oauth_verifier", "v"}}},
        {"the callback in another host's query", Callback,
         "https://evil.example/login?next=https://velmo.example/oauth/done", false, std::nullopt},
        {"the callback in another host's path", Callback,
         "https://evil.example/https://velmo.example/oauth/done", false, std::nullopt},
        {"the callback host as user name", Callback, "https://velmo.example@evil.example/oauth/done", false,
         std::nullopt},
        {"another port", Callback, "https://velmo.example:8443/oauth/done?x=1", false, std::nullopt},
        {"another scheme", Callback, "http://velmo.example/oauth/done?x=1", false, std::nullopt},
        {"a sibling path", Callback, "https://velmo.example/oauth/doneandmore?x=1", false, std::nullopt},
        {"a path in another case", Callback, "https://velmo.example/OAuth/done?x=1", false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto signer = ns::make<Signer>(row.callback);
        std::vector<std::string> loaded;
        auto view = makeView(signer, AuthorizePage, [&](const ns::URLRequest& request) {
            loaded.push_back(request.URLString());
            ui::WebPage page;
            if (request.URLString() == AuthorizePage)
                page.redirectTo = row.address;
            return page;
        });
        driver.settle();
        if (row.recognised) {
            EXPECT_EQ(signer->calls, std::vector<std::string>{"finish YES"});
            EXPECT_EQ(signer->parameters, row.parameters);
            EXPECT_FALSE(signer->error);
            // The callback page itself is never asked for, and the delegate is let go.
            EXPECT_EQ(loaded, std::vector<std::string>{AuthorizePage});
            EXPECT_FALSE(view->delegate());
        } else {
            EXPECT_TRUE(signer->calls.empty());
            EXPECT_EQ(view->webView()->request()->URLString(), row.address);
            EXPECT_EQ(view->delegate(), signer);
        }
        EXPECT_FALSE(view->webView()->isLoading());
    }
}

TEST_F(OAuthView, ALinkToTheCallbackEndsTheSignInOnce)
{
    auto signer = ns::make<Signer>(Callback);
    auto view = makeView(signer, AuthorizePage, [](const ns::URLRequest&) { return ui::WebPage{}; });
    driver.settle();
    view->webView()->clickLink("https://velmo.example/oauth/done?oauth_verifier=123");
    view->webView()->clickLink("https://velmo.example/oauth/done?oauth_verifier=456");
    driver.settle();
    EXPECT_EQ(signer->calls, std::vector<std::string>{"finish YES"});
    EXPECT_EQ(signer->parameters, (Parameters{{{"oauth_verifier", "123"}}}));
    // The second link, with no delegate left to ask for the callback, loads like any page.
    EXPECT_EQ(view->webView()->request()->URLString(), "https://velmo.example/oauth/done?oauth_verifier=456");
}

TEST_F(OAuthView, APinPageOnTheMicroBloggingHostReportsTheConfigurationError)
{
    struct Row
    {
        const char* name;
        std::string apiURL; // the micro-blogging service's configured address
        std::string page;
        std::string pin;
        bool reported;
    };
    const Row rows[] = {
        {"PIN on the service's host", "https://api.twitter.com",
         "https://api.twitter.com/oauth/authorize?oauth_token=r", "7654321", true},
        {"PIN on a configured test host", "http://127.0.0.1:8080", "http://127.0.0.1:9/oauth/authorize",
         "1234", true},
        {"PIN on another host", "https://api.twitter.com", "https://signin.example/authorize", "7654321",
         false},
        {"host in another case", "https://api.twitter.com", "https://API.twitter.com/oauth/authorize",
         "7654321", false},
        {"no PIN on the service's host", "https://api.twitter.com", "https://api.twitter.com/oauth/authorize",
         "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(configurator->setValueForKey("twitterAPIURL", ns::String::make(row.apiURL)));
        auto signer = ns::make<Signer>(Callback);
        auto view = makeView(signer, row.page, [&](const ns::URLRequest&) {
            ui::WebPage page;
            page.scriptAnswers[PinScript] = row.pin;
            return page;
        });
        driver.settle();
        if (row.reported) {
            EXPECT_EQ(signer->calls, std::vector<std::string>{"finish NO"});
            EXPECT_EQ(signer->parameters, std::nullopt);
            ASSERT_TRUE(signer->error);
            EXPECT_EQ(signer->error->domain(), "sharecore");
            EXPECT_EQ(signer->error->code(), 1);
            EXPECT_EQ(signer->error->localizedDescription(), PinMessage);
            // The view stays, and keeps its delegate.
            EXPECT_EQ(view->delegate(), signer);
        } else {
            EXPECT_TRUE(signer->calls.empty());
        }
        bool asked =
            row.page.find("API.") == std::string::npos && row.page.find("signin.") == std::string::npos;
        EXPECT_EQ(view->webView()->evaluatedScripts().size(), asked ? 1u : 0u);
    }
}

TEST_F(OAuthView, IgnoresCancelledInterruptedAndMissingLoadsAndReportsOtherFailures)
{
    struct Row
    {
        const char* name;
        const char* domain;
        long code;
        bool reported;
    };
    const Row rows[] = {
        {"cancelled", ui::URLErrorDomain, ui::URLErrorCancelled, false},
        {"frame load interrupted", ui::WebKitErrorDomain, ui::WebKitErrorFrameLoadInterrupted, false},
        {"file does not exist", ui::URLErrorDomain, ui::URLErrorFileDoesNotExist, false},
        {"offline", ui::URLErrorDomain, ui::URLErrorNotConnectedToInternet, true},
        {"timed out", ui::URLErrorDomain, ui::URLErrorTimedOut, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto failure = ns::Error::withDescription(row.domain, row.code, "the load failed");
        auto signer = ns::make<Signer>(Callback);
        auto view = makeView(signer, AuthorizePage, [&](const ns::URLRequest&) {
            ui::WebPage page;
            page.error = failure;
            return page;
        });
        driver.settle();
        if (row.reported) {
            EXPECT_EQ(signer->calls, std::vector<std::string>{"finish NO"});
            EXPECT_EQ(signer->error, failure);
            EXPECT_EQ(signer->parameters, std::nullopt);
            EXPECT_FALSE(view->spinner()->isAnimating());
            EXPECT_EQ(view->delegate(), signer);
        } else {
            EXPECT_TRUE(signer->calls.empty());
            // The spinner is left as the ignored error found it.
            EXPECT_TRUE(view->spinner()->isAnimating());
        }
    }
}

TEST_F(OAuthView, ANewLoadCancellingTheFirstIsNoFailure)
{
    auto signer = ns::make<Signer>(Callback);
    auto view = makeView(signer, AuthorizePage, [](const ns::URLRequest&) { return ui::WebPage{}; });
    view->webView()->clickLink("https://signin.example/other");
    driver.settle();
    EXPECT_TRUE(signer->calls.empty());
    EXPECT_EQ(view->webView()->request()->URLString(), "https://signin.example/other");
}

TEST_F(OAuthView, CancelTellsTheDelegateHidesTheScreenAndFreesIt)
{
    auto signer = ns::make<Signer>(Callback);
    ns::Weak<SHKOAuthView> weak;
    {
        auto view = makeView(signer, AuthorizePage, [](const ns::URLRequest&) { return ui::WebPage{}; });
        weak = view;
        show(view);
        EXPECT_TRUE(SHK::currentHelper()->currentView());
    }
    ASSERT_TRUE(driver.press("Cancel"));
    driver.advance(1);
    EXPECT_EQ(signer->calls, std::vector<std::string>{"cancelled"});
    EXPECT_FALSE(SHK::currentHelper()->currentView());
    EXPECT_FALSE(root->presentedViewController());
    driver.settle();
    // Gone with its screen, and with it the hold on the delegate.
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(signer.use_count(), 1);
}

TEST_F(OAuthView, LetsTheDelegateGoOnceTheCallbackIsReached)
{
    auto signer = ns::make<Signer>(Callback);
    auto view = makeView(signer, AuthorizePage, [](const ns::URLRequest&) {
        ui::WebPage page;
        page.redirectTo = "https://velmo.example/oauth/done?oauth_verifier=v";
        return page;
    });
    EXPECT_EQ(signer.use_count(), 2);
    driver.settle();
    EXPECT_EQ(signer->calls, std::vector<std::string>{"finish YES"});
    EXPECT_EQ(signer.use_count(), 1);
}
