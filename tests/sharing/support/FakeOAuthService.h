#pragma once

#include "testing/LoopbackServer.h"
#include "uikit/WebView.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {
class Error;
class URLRequest;
} // namespace ns

// An OAuth 1.0 service on 127.0.0.1 as RFC 5849 describes it: request token, authorise page (served to the
// web view, which sets a sign-in cookie and sends the browser to the callback with the verifier), access
// token (also by xAuth, the user's name and password in the signed form body) and one protected resource;
// a service adds its own protected resources with protectedRoute. Every request's signature is checked on
// arrival from what the server received (method, address, form body, Authorization header), with the
// consumer's secret and the secret of the token the request names; a request that fails a check gets 401
// and the reason.
class FakeOAuthService
{
public:
    // A request as the service judged it.
    struct Judged
    {
        std::string endpoint; // "request_token", "access_token", "update", or the name a route was given
        std::string verdict;  // "ok" or the reason of the refusal
        testkit::RecordedRequest request;
        std::string tokenSecret; // the secret the signature was checked with
    };
    // Where the three OAuth endpoints live on the server.
    struct Paths
    {
        std::string requestToken = "/oauth/request_token";
        std::string authorize = "/oauth/authorize";
        std::string accessToken = "/oauth/access_token";
    };
    // What a protected resource answers a request whose signature holds: the request and its OAuth
    // parameters.
    using Handler = std::function<testkit::ScriptedReply(const testkit::RecordedRequest& request,
                                                         const std::map<std::string, std::string>& oauth)>;
    // What it answers a request it refused, from the reason.
    using Refusal = std::function<testkit::ScriptedReply(const std::string& reason)>;

    FakeOAuthService(std::string consumerKey, std::string consumerSecret);
    FakeOAuthService(std::string consumerKey, std::string consumerSecret, Paths paths);
    bool start();
    void stop() { m_server.stop(); }

    std::string baseURL() const { return m_server.baseURL(); }
    std::string requestURL() const { return baseURL() + m_paths.requestToken; }
    std::string authorizeURL() const { return baseURL() + m_paths.authorize; }
    std::string accessURL() const { return baseURL() + m_paths.accessToken; }
    std::string updateURL() const { return baseURL() + "/1/update"; }
    // The host's sign-in cookie, set by the authorise page.
    static constexpr const char* SignInCookie = "signin_session";

    // A resource that only a request signed with a good access token reaches, by `method`; the request is
    // judged under `endpoint`.
    void protectedRoute(const std::string& endpoint, const std::string& method, const std::string& path,
                        Handler handler, Refusal refusal = {});
    // Any other route of the server, unsigned.
    void route(const std::string& path, testkit::LoopbackServer::Responder responder)
    {
        m_server.route(path, std::move(responder));
    }
    // Checks an OAuth Echo delegation another host received: the header `headerName` must be a good
    // signature, by a current access token, of a GET of `verifyPath` on this service. Judged under "echo".
    bool verifyDelegation(const testkit::RecordedRequest& request, const std::string& headerName,
                          const std::string& verifyPath);

    // What the web view is shown at an address of the service.
    ui::WebPage page(const ns::URLRequest& request);

    // Scripted misbehaviour.
    // The request-token or access-token endpoint answers this instead of a token.
    std::optional<testkit::ScriptedReply> requestTokenReply;
    std::optional<testkit::ScriptedReply> accessTokenReply;
    // The authorise page sends the browser to the callback with this query instead of token and verifier.
    std::optional<std::string> authorizeQuery;
    // The authorise page fails to load with this error.
    ns::Ref<ns::Error> authorizePageError;
    // The authorise page waits for the user, who never grants access.
    bool holdAuthorizePage = false;
    // Whether access tokens come with a session handle.
    bool sessionHandles = true;
    // Whether a held access token may be exchanged for a new one.
    bool allowRefresh = false;
    // The accounts that may sign in by xAuth (user name to password); a refused one gets 401 and this text.
    std::map<std::string, std::string> xAuthAccounts;
    std::string xAuthRefusal = "Invalid user name or password";
    // Forgets the scripts and what was judged; issued tokens stay good.
    void reset();
    // Every access token issued so far stops working, as when the user revokes the application.
    void revokeAccessTokens();
    // The addresses of the service's pages the web view was shown.
    std::vector<std::string> pagesShown() const;

    std::vector<Judged> judged() const;
    // The statuses posted to the protected resource.
    std::vector<std::string> updates() const;
    // The form parameters of the xAuth sign-ins, as received.
    std::vector<std::map<std::string, std::string>> xAuthSignIns() const;
    // Request-token keys hold characters that must be escaped in an address.
    static std::string requestTokenKey(int n) { return "req/" + std::to_string(n) + "+x="; }

private:
    testkit::ScriptedReply requestToken(const testkit::RecordedRequest& request);
    testkit::ScriptedReply accessToken(const testkit::RecordedRequest& request);
    testkit::ScriptedReply update(const testkit::RecordedRequest& request);
    testkit::ScriptedReply issueAccessToken();
    // The parameters of the Authorization header when its signature holds for the token's secret; else
    // the reason, with the request written down either way.
    std::optional<std::map<std::string, std::string>>
    verify(const std::string& endpoint, const std::string& method, const testkit::RecordedRequest& request,
           const std::map<std::string, std::string>& secrets, std::string& reason);

    std::string m_consumerKey;
    std::string m_consumerSecret;
    Paths m_paths;
    testkit::LoopbackServer m_server;
    mutable std::mutex m_mutex;
    int m_issued = 0;
    std::map<std::string, std::string> m_requestTokens; // key to secret
    std::map<std::string, std::string> m_callbacks;     // request token to its callback
    std::map<std::string, std::string> m_verifiers;     // request token to the verifier granted
    std::map<std::string, std::string> m_accessTokens;  // key to secret
    std::map<std::string, bool> m_nonces;
    std::vector<Judged> m_judged;
    std::vector<std::string> m_pagesShown;
    std::vector<std::string> m_updates;
    std::vector<std::map<std::string, std::string>> m_xAuthSignIns;
};

// The RFC 5849 signature base string of a received request.
std::string rfc5849BaseString(const testkit::RecordedRequest& request, const std::string& baseURL);
std::map<std::string, std::string> authorizationParameters(const std::string& header);
// The name-value pairs of a form-encoded text ("+" is a space), in order.
std::vector<std::pair<std::string, std::string>> formPairs(std::string_view text);
