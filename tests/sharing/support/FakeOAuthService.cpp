#include "sharing/support/FakeOAuthService.h"

#include "foundation/Ascii.h"
#include "foundation/Error.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"
#include "system/Digest.h"

#include <algorithm>
#include <utility>

namespace {

// RFC 3986 percent-encoding: only unreserved characters stay.
std::string encode(std::string_view text)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (ns::isAsciiAlphanumeric(static_cast<char>(c)) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string decode(std::string_view text, bool plusIsSpace)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && ns::hexDigitValue(text[i + 1]) >= 0 &&
            ns::hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(ns::hexDigitValue(text[i + 1]) * 16 + ns::hexDigitValue(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

} // namespace

Pairs formPairs(std::string_view text)
{
    Pairs pairs;
    while (!text.empty()) {
        std::size_t end = text.find('&');
        std::string_view piece = text.substr(0, end);
        if (!piece.empty()) {
            std::size_t equals = piece.find('=');
            pairs.emplace_back(decode(piece.substr(0, equals), true),
                               equals == std::string_view::npos ? std::string()
                                                                : decode(piece.substr(equals + 1), true));
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return pairs;
}

namespace {

std::string formBody(const Pairs& pairs)
{
    std::string body;
    for (const auto& [name, value] : pairs) {
        if (!body.empty())
            body += '&';
        body += encode(name);
        body += '=';
        body += encode(value);
    }
    return body;
}

std::string trimmed(std::string_view text)
{
    while (!text.empty() && ns::isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && ns::isAsciiSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

std::map<std::string, std::string> authorizationParameters(const std::string& header)
{
    std::map<std::string, std::string> parameters;
    std::string_view text = header;
    if (text.substr(0, 6) != "OAuth ")
        return parameters;
    text.remove_prefix(6);
    while (!text.empty()) {
        std::size_t end = text.find(',');
        std::string piece = trimmed(text.substr(0, end));
        std::size_t equals = piece.find('=');
        if (equals != std::string::npos) {
            std::string value = piece.substr(equals + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            parameters[decode(piece.substr(0, equals), false)] = decode(value, false);
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return parameters;
}

std::string rfc5849BaseString(const testkit::RecordedRequest& request, const std::string& baseURL)
{
    Pairs parameters = formPairs(request.query);
    auto type = request.header("Content-Type").value_or("");
    if (ns::equalsIgnoringAsciiCase(type.substr(0, 33), "application/x-www-form-urlencoded") ||
        (type.empty() && !request.body.empty())) {
        auto body = formPairs(request.body);
        parameters.insert(parameters.end(), body.begin(), body.end());
    }
    for (const auto& [name, value] : authorizationParameters(request.header("Authorization").value_or("")))
        if (name != "realm" && name != "oauth_signature")
            parameters.emplace_back(name, value);
    std::vector<std::pair<std::string, std::string>> encoded;
    for (const auto& [name, value] : parameters)
        encoded.emplace_back(encode(name), encode(value));
    std::sort(encoded.begin(), encoded.end());
    std::string normalized;
    for (const auto& [name, value] : encoded) {
        if (!normalized.empty())
            normalized += '&';
        normalized += name;
        normalized += '=';
        normalized += value;
    }
    std::string base = request.method;
    base += '&';
    base += encode(baseURL + request.path);
    base += '&';
    base += encode(normalized);
    return base;
}

FakeOAuthService::FakeOAuthService(std::string consumerKey, std::string consumerSecret)
    : FakeOAuthService(std::move(consumerKey), std::move(consumerSecret), Paths())
{
}

FakeOAuthService::FakeOAuthService(std::string consumerKey, std::string consumerSecret, Paths paths)
    : m_consumerKey(std::move(consumerKey)), m_consumerSecret(std::move(consumerSecret)),
      m_paths(std::move(paths))
{
    m_server.route(m_paths.requestToken,
                   [this](const testkit::RecordedRequest& r) { return requestToken(r); });
    m_server.route(m_paths.accessToken, [this](const testkit::RecordedRequest& r) { return accessToken(r); });
    m_server.route("/1/update", [this](const testkit::RecordedRequest& r) { return update(r); });
}

void FakeOAuthService::protectedRoute(const std::string& endpoint, const std::string& method,
                                      const std::string& path, Handler handler, Refusal refusal)
{
    m_server.route(path, [this, endpoint, method, handler = std::move(handler),
                          refusal = std::move(refusal)](const testkit::RecordedRequest& request) {
        std::map<std::string, std::string> parameters;
        std::string reason;
        {
            std::lock_guard lock(m_mutex);
            auto verified = verify(endpoint, method, request, m_accessTokens, reason);
            if (verified)
                parameters = std::move(*verified);
        }
        if (!reason.empty())
            return refusal ? refusal(reason) : testkit::ScriptedReply::text(401, "oauth_problem=" + reason);
        return handler(request, parameters);
    });
}

bool FakeOAuthService::verifyDelegation(const testkit::RecordedRequest& request,
                                        const std::string& headerName, const std::string& verifyPath)
{
    testkit::RecordedRequest delegated;
    delegated.method = "GET";
    delegated.path = verifyPath;
    delegated.target = verifyPath;
    delegated.headers.emplace_back("Authorization", request.header(headerName).value_or(""));
    std::lock_guard lock(m_mutex);
    std::string reason;
    return verify("echo", "GET", delegated, m_accessTokens, reason).has_value();
}

void FakeOAuthService::revokeAccessTokens()
{
    std::lock_guard lock(m_mutex);
    m_accessTokens.clear();
}

std::vector<std::map<std::string, std::string>> FakeOAuthService::xAuthSignIns() const
{
    std::lock_guard lock(m_mutex);
    return m_xAuthSignIns;
}

bool FakeOAuthService::start()
{
    return m_server.start();
}

std::vector<FakeOAuthService::Judged> FakeOAuthService::judged() const
{
    std::lock_guard lock(m_mutex);
    return m_judged;
}

std::vector<std::string> FakeOAuthService::pagesShown() const
{
    std::lock_guard lock(m_mutex);
    return m_pagesShown;
}

void FakeOAuthService::reset()
{
    std::lock_guard lock(m_mutex);
    requestTokenReply.reset();
    accessTokenReply.reset();
    authorizeQuery.reset();
    authorizePageError = nullptr;
    holdAuthorizePage = false;
    sessionHandles = true;
    allowRefresh = false;
    m_judged.clear();
    m_updates.clear();
    m_xAuthSignIns.clear();
    m_pagesShown.clear();
}

std::vector<std::string> FakeOAuthService::updates() const
{
    std::lock_guard lock(m_mutex);
    return m_updates;
}

std::optional<std::map<std::string, std::string>>
FakeOAuthService::verify(const std::string& endpoint, const std::string& method,
                         const testkit::RecordedRequest& request,
                         const std::map<std::string, std::string>& secrets, std::string& reason)
{
    auto parameters = authorizationParameters(request.header("Authorization").value_or(""));
    std::string tokenSecret;
    auto token = parameters.find("oauth_token");
    bool hasToken = token != parameters.end() && !token->second.empty();
    if (request.method != method)
        reason = "method " + request.method;
    else if (parameters["oauth_consumer_key"] != m_consumerKey)
        reason = "consumer_key_unknown";
    else if (parameters["oauth_signature_method"] != "HMAC-SHA1" || parameters["oauth_version"] != "1.0")
        reason = "signature_method_rejected";
    else if (parameters["oauth_nonce"].empty() || m_nonces.count(parameters["oauth_nonce"]))
        reason = "nonce_used";
    else if (parameters["oauth_timestamp"].empty())
        reason = "timestamp_refused";
    else if (hasToken != !secrets.empty() || (hasToken && !secrets.count(token->second)))
        reason = "token_rejected";
    if (reason.empty() && hasToken)
        tokenSecret = secrets.at(token->second);
    if (reason.empty()) {
        std::string key = encode(m_consumerSecret) + "&" + encode(tokenSecret);
        std::string expected = cc::base64Encode(cc::hmacSHA1(key, rfc5849BaseString(request, baseURL())));
        if (parameters["oauth_signature"] != expected)
            reason = "signature_invalid";
    }
    m_nonces[parameters["oauth_nonce"]] = true;
    m_judged.push_back({endpoint, reason.empty() ? "ok" : reason, request, tokenSecret});
    if (!reason.empty())
        return std::nullopt;
    return parameters;
}

testkit::ScriptedReply FakeOAuthService::requestToken(const testkit::RecordedRequest& request)
{
    std::lock_guard lock(m_mutex);
    std::string reason;
    auto parameters = verify("request_token", "POST", request, {}, reason);
    if (!parameters)
        return testkit::ScriptedReply::text(401, "oauth_problem=" + reason);
    // The current protocol needs the address to come back to, or "oob".
    if (!parameters->count("oauth_callback")) {
        m_judged.back().verdict = "parameter_absent oauth_callback";
        return testkit::ScriptedReply::text(
            400, "oauth_problem=parameter_absent&oauth_parameters_absent=oauth_callback");
    }
    if (requestTokenReply)
        return *requestTokenReply;
    int n = ++m_issued;
    std::string key = requestTokenKey(n);
    std::string secret = "request secret " + std::to_string(n);
    m_requestTokens[key] = secret;
    m_callbacks[key] = (*parameters)["oauth_callback"];
    return testkit::ScriptedReply::text(200, formBody({{"oauth_token", key},
                                                       {"oauth_token_secret", secret},
                                                       {"oauth_callback_confirmed", "true"}}));
}

ui::WebPage FakeOAuthService::page(const ns::URLRequest& request)
{
    ui::WebPage page;
    const auto& url = request.URL();
    std::string address = request.URLString();
    if (!url || address.rfind(authorizeURL(), 0) != 0) {
        page.title = "Not found";
        return page;
    }
    std::lock_guard lock(m_mutex);
    m_pagesShown.push_back(address);
    if (authorizePageError) {
        page.error = authorizePageError;
        return page;
    }
    std::string key;
    for (const auto& [name, value] : formPairs(url->query().value_or("")))
        if (name == "oauth_token")
            key = value;
    page.title = "Allow Velmo?";
    // Signing in leaves the site's session cookie behind, as real sign-in pages do.
    page.setCookies = {std::string(SignInCookie) + "=user-1; Path=/; HttpOnly"};
    auto callback = m_callbacks.find(key);
    if (callback == m_callbacks.end() || holdAuthorizePage)
        return page; // an unknown token, or a user who does not decide: the page stays
    std::string query;
    if (authorizeQuery) {
        query = *authorizeQuery;
    } else {
        std::string verifier = "verifier-" + std::to_string(m_verifiers.size() + 1);
        m_verifiers[key] = verifier;
        query = formBody({{"oauth_token", key}, {"oauth_verifier", verifier}});
    }
    page.redirectTo =
        callback->second + (callback->second.find('?') == std::string::npos ? "?" : "&") + query;
    return page;
}

testkit::ScriptedReply FakeOAuthService::accessToken(const testkit::RecordedRequest& request)
{
    std::lock_guard lock(m_mutex);
    std::string reason;
    // xAuth: no token, the user's name and password in the signed form body instead of a granted one.
    std::map<std::string, std::string> form;
    for (const auto& [name, value] : formPairs(request.body))
        form[name] = value;
    if (form.count("x_auth_mode")) {
        if (!verify("access_token", "POST", request, {}, reason))
            return testkit::ScriptedReply::text(401, "oauth_problem=" + reason);
        m_xAuthSignIns.push_back(form);
        auto account = xAuthAccounts.find(form["x_auth_username"]);
        if (form["x_auth_mode"] != "client_auth" || account == xAuthAccounts.end() ||
            account->second != form["x_auth_password"]) {
            m_judged.back().verdict = "xauth_refused";
            return testkit::ScriptedReply::text(401, xAuthRefusal);
        }
        if (accessTokenReply)
            return *accessTokenReply;
        return issueAccessToken();
    }
    auto secrets = m_requestTokens;
    if (allowRefresh)
        secrets.insert(m_accessTokens.begin(), m_accessTokens.end());
    auto parameters = verify("access_token", "POST", request, secrets, reason);
    if (!parameters)
        return testkit::ScriptedReply::text(401, "oauth_problem=" + reason);
    std::string key = (*parameters)["oauth_token"];
    bool refresh = m_accessTokens.count(key) > 0;
    auto verifier = m_verifiers.find(key);
    if (!refresh && (verifier == m_verifiers.end() || (*parameters)["oauth_verifier"] != verifier->second)) {
        m_judged.back().verdict = "verifier_invalid";
        return testkit::ScriptedReply::text(401, "oauth_problem=verifier_invalid");
    }
    if (accessTokenReply)
        return *accessTokenReply;
    // A token is good for one exchange.
    if (refresh) {
        m_accessTokens.erase(key);
    } else {
        m_requestTokens.erase(key);
        m_verifiers.erase(verifier);
    }
    return issueAccessToken();
}

testkit::ScriptedReply FakeOAuthService::issueAccessToken()
{
    int n = ++m_issued;
    std::string accessKey = "access-" + std::to_string(n);
    std::string secret = "access secret " + std::to_string(n);
    m_accessTokens[accessKey] = secret;
    Pairs reply = {{"oauth_token", accessKey}, {"oauth_token_secret", secret}};
    if (sessionHandles)
        reply.emplace_back("oauth_session_handle", "handle-" + std::to_string(n));
    return testkit::ScriptedReply::text(200, formBody(reply));
}

testkit::ScriptedReply FakeOAuthService::update(const testkit::RecordedRequest& request)
{
    std::lock_guard lock(m_mutex);
    std::string reason;
    auto parameters = verify("update", "POST", request, m_accessTokens, reason);
    if (!parameters)
        return testkit::ScriptedReply::text(401, "oauth_problem=" + reason);
    for (const auto& [name, value] : formPairs(request.body))
        if (name == "status")
            m_updates.push_back(value);
    return testkit::ScriptedReply::text(200, "{\"id\":1}");
}
