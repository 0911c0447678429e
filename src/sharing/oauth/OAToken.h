#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

// A request token or an access token. A token read from a reply has only the fields the reply names.
class OAToken : public ns::Object
{
public:
    // Key, secret and session handle all empty.
    OAToken();
    // The session handle stays nil.
    OAToken(std::string key, std::string secret);
    // Every field nil.
    explicit OAToken(std::nullopt_t) {}

    // Reads a form-encoded reply ("oauth_token=...&oauth_token_secret=..."); unknown names are ignored.
    static ns::Ref<OAToken> withHTTPResponseBody(std::string_view body);

    // The token kept in the standard user defaults under "OAUTH_<prefix>_<provider>_KEY" and
    // "OAUTH_<prefix>_<provider>_SECRET" (its session handle nil); nothing unless both texts are there.
    static ns::Ref<OAToken> withUserDefaultsUsingServiceProviderName(std::string_view provider,
                                                                     std::string_view prefix);
    // Writes the key and secret under those two names (a nil one removes its entry, so no stale value
    // outlives it) and synchronises the defaults: 0 once they are on disk, -1 when the write failed.
    int storeInUserDefaultsWithServiceProviderName(std::string_view provider, std::string_view prefix) const;

    const std::optional<std::string>& key() const { return m_key; }
    void setKey(std::optional<std::string> key) { m_key = std::move(key); }
    const std::optional<std::string>& secret() const { return m_secret; }
    void setSecret(std::optional<std::string> secret) { m_secret = std::move(secret); }
    const std::optional<std::string>& sessionHandle() const { return m_sessionHandle; }
    void setSessionHandle(std::optional<std::string> handle) { m_sessionHandle = std::move(handle); }

    std::string className() const override { return "OAToken"; }

private:
    std::optional<std::string> m_key;
    std::optional<std::string> m_secret;
    std::optional<std::string> m_sessionHandle;
};
