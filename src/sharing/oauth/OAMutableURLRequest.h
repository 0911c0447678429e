#pragma once

#include "foundation/Error.h"
#include "foundation/URLRequest.h"
#include "sharing/oauth/OAConsumer.h"
#include "sharing/oauth/OASignatureProviding.h"
#include "sharing/oauth/OAToken.h"

#include <map>
#include <optional>
#include <string>

// A request signed by OAuth 1.0: `prepare` signs it once, just before it is sent, into its "Authorization"
// header. The signature is the one a server computes from what it receives.
class OAMutableURLRequest : public ns::MutableURLRequest
{
public:
    // A fresh nonce (a UUID) and timestamp (whole seconds of the current clock). Ignores the local cache
    // and times out after 10 seconds. Without a token the token is empty, without a realm it is "",
    // without a provider it is HMAC-SHA1.
    OAMutableURLRequest(ns::Ref<ns::URL> url, ns::Ref<OAConsumer> consumer, ns::Ref<OAToken> token,
                        std::optional<std::string> realm, ns::Ref<OASignatureProviding> provider);
    OAMutableURLRequest(ns::Ref<ns::URL> url, ns::Ref<OAConsumer> consumer, ns::Ref<OAToken> token,
                        std::optional<std::string> realm, ns::Ref<OASignatureProviding> provider,
                        std::string nonce, std::string timestamp);

    const ns::Ref<OAConsumer>& consumer() const { return m_consumer; }
    void setConsumer(ns::Ref<OAConsumer> consumer) { m_consumer = std::move(consumer); }
    const ns::Ref<OAToken>& token() const { return m_token; }
    void setToken(ns::Ref<OAToken> token);
    const std::string& realm() const { return m_realm; }
    void setRealm(std::string realm) { m_realm = std::move(realm); }
    const ns::Ref<OASignatureProviding>& signatureProvider() const { return m_signatureProvider; }
    void setSignatureProvider(ns::Ref<OASignatureProviding> provider);
    const std::string& signature() const { return m_signature; }
    const std::string& nonce() const { return m_nonce; }
    const std::string& timestamp() const { return m_timestamp; }
    void setTimestamp(std::string timestamp) { m_timestamp = std::move(timestamp); }
    bool didPrepare() const { return m_didPrepare; }

    // Further OAuth parameters, signed and sent in the header in the order of their names.
    std::map<std::string, std::string>& extraOAuthParameters() { return m_extraOAuthParameters; }
    void setOAuthParameterName(std::string name, std::string value);

    // Signs once and sets the "Authorization" header; later calls do nothing and answer true. A request
    // without an address (the platform refuses its text) is not signed: false, with a "bad URL" error.
    bool prepare(ns::Ref<ns::Error>* error = nullptr);

    // What `prepare` signs and with which key, from the request as it is now.
    std::string signatureBaseString() const;
    std::string signingSecret() const;

    std::string className() const override { return "OAMutableURLRequest"; }

private:
    std::string tokenKey() const;
    std::string authorizationHeader() const;

    ns::Ref<OAConsumer> m_consumer;
    ns::Ref<OAToken> m_token;
    std::string m_realm;
    std::string m_signature;
    ns::Ref<OASignatureProviding> m_signatureProvider;
    std::string m_nonce;
    std::string m_timestamp;
    std::map<std::string, std::string> m_extraOAuthParameters;
    bool m_didPrepare = false;
};
