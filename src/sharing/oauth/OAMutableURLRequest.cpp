#include "sharing/oauth/OAMutableURLRequest.h"

#include "foundation/Clock.h"
#include "foundation/Format.h"
#include "foundation/Random.h"
#include "foundation/URLConnection.h"
#include "sharing/oauth/OAHMAC_SHA1SignatureProvider.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAURLEncoding.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using OAURLEncoding::URLEncodedString;

namespace {

std::string currentTimestamp()
{
    return ns::format("%lld", static_cast<long long>(std::floor(ns::Clock::current().now())));
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != prefix[i])
            return false;
    }
    return true;
}

std::string uppercased(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

OAMutableURLRequest::OAMutableURLRequest(ns::Ref<ns::URL> url, ns::Ref<OAConsumer> consumer,
                                         ns::Ref<OAToken> token, std::optional<std::string> realm,
                                         ns::Ref<OASignatureProviding> provider)
    : OAMutableURLRequest(std::move(url), std::move(consumer), std::move(token), std::move(realm),
                          std::move(provider), ns::UUIDString(), currentTimestamp())
{
}

OAMutableURLRequest::OAMutableURLRequest(ns::Ref<ns::URL> url, ns::Ref<OAConsumer> consumer,
                                         ns::Ref<OAToken> token, std::optional<std::string> realm,
                                         ns::Ref<OASignatureProviding> provider, std::string nonce,
                                         std::string timestamp)
    : ns::MutableURLRequest(std::move(url), ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 10),
      m_consumer(consumer ? std::move(consumer) : std::make_shared<OAConsumer>("", "")),
      m_realm(realm.value_or(std::string())), m_nonce(std::move(nonce)), m_timestamp(std::move(timestamp))
{
    setToken(std::move(token));
    setSignatureProvider(std::move(provider));
}

void OAMutableURLRequest::setToken(ns::Ref<OAToken> token)
{
    m_token = token ? std::move(token) : std::make_shared<OAToken>();
}

void OAMutableURLRequest::setSignatureProvider(ns::Ref<OASignatureProviding> provider)
{
    m_signatureProvider = provider ? std::move(provider) : std::make_shared<OAHMAC_SHA1SignatureProvider>();
}

void OAMutableURLRequest::setOAuthParameterName(std::string name, std::string value)
{
    m_extraOAuthParameters[std::move(name)] = std::move(value);
}

std::string OAMutableURLRequest::tokenKey() const
{
    // A token read from a reply that lacked its key signs as having none.
    return m_token->key().value_or(std::string());
}

std::string OAMutableURLRequest::signingSecret() const
{
    return URLEncodedString(m_consumer->secret()) + "&" +
           URLEncodedString(m_token->secret().value_or(std::string()));
}

std::string OAMutableURLRequest::signatureBaseString() const
{
    std::vector<std::pair<std::string, std::string>> pairs;
    auto add = [&](std::string_view name, std::string_view value) {
        pairs.emplace_back(URLEncodedString(name), URLEncodedString(value));
    };
    add("oauth_consumer_key", m_consumer->key());
    add("oauth_signature_method", m_signatureProvider->name());
    add("oauth_timestamp", m_timestamp);
    add("oauth_nonce", m_nonce);
    add("oauth_version", "1.0");
    if (std::string key = tokenKey(); !key.empty())
        add("oauth_token", key);
    for (const auto& [name, value] : m_extraOAuthParameters)
        add(name, value);

    // On purpose, signed as an RFC 5849 server checks it rather than by the method: the query of every
    // request, "+" as a space, a body only when it is a form that server reads (sent as a form, which a
    // body without a content type is, and form-encoded throughout: raw non-ASCII makes it ignore the
    // body), pairs by name then value, the address normalised.
    std::string url = URLString();
    for (const auto& parameter : OAParameterAdditions::parseForm(OAURLEncoding::queryOfURLString(url)))
        add(parameter->name(), parameter->value());
    std::optional<std::string> contentType = valueForHTTPHeaderField("Content-Type");
    bool isForm = contentType ? startsWithIgnoringCase(*contentType, "application/x-www-form-urlencoded")
                              : static_cast<bool>(m_body);
    if (isForm && m_body && OAURLEncoding::isFormEncoded(m_body->view()))
        for (const auto& parameter : OAParameterAdditions::parseForm(m_body->view()))
            add(parameter->name(), parameter->value());

    // Ordered by escaped name, then by escaped value.
    std::sort(pairs.begin(), pairs.end());
    std::string joined;
    for (const auto& [name, value] : pairs) {
        if (!joined.empty())
            joined += '&';
        joined += name;
        joined += '=';
        joined += value;
    }
    return uppercased(m_method) + "&" + URLEncodedString(OAURLEncoding::normalizedBaseURLString(url)) + "&" +
           URLEncodedString(joined);
}

std::string OAMutableURLRequest::authorizationHeader() const
{
    // Names are escaped as values are: a name with a blank or a quote would break the header.
    auto field = [](std::string_view name, std::string_view value) {
        std::string out = URLEncodedString(name);
        out += "=\"";
        out += URLEncodedString(value);
        out += '"';
        return out;
    };
    std::string header =
        "OAuth " + field("realm", m_realm) + ", " + field("oauth_consumer_key", m_consumer->key());
    if (std::string key = tokenKey(); !key.empty())
        header += ", " + field("oauth_token", key);
    header += ", " + field("oauth_signature_method", m_signatureProvider->name());
    header += ", " + field("oauth_signature", m_signature);
    header += ", " + field("oauth_timestamp", m_timestamp);
    header += ", " + field("oauth_nonce", m_nonce);
    header += ", " + field("oauth_version", "1.0");
    for (const auto& [name, value] : m_extraOAuthParameters)
        header += ", " + field(name, value);
    return header;
}

bool OAMutableURLRequest::prepare(ns::Ref<ns::Error>* error)
{
    if (m_didPrepare)
        return true;
    if (!URL()) {
        // Nothing to sign: a signature over an empty address would be sent for a request that cannot go.
        ns::setError(error, ns::Error::withDescription(ns::URLErrorDomain, ns::URLErrorBadURL, "bad URL"));
        return false;
    }
    m_didPrepare = true;
    m_signature = m_signatureProvider->signClearText(signatureBaseString(), signingSecret());
    setValue(authorizationHeader(), "Authorization");
    return true;
}
