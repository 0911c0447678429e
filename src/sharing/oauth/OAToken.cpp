#include "sharing/oauth/OAToken.h"

#include "foundation/Escaping.h"
#include "foundation/String.h"
#include "foundation/UserDefaults.h"

namespace {

std::string defaultsName(std::string_view provider, std::string_view prefix, std::string_view field)
{
    std::string name = "OAUTH_";
    name += prefix;
    name += '_';
    name += provider;
    name += '_';
    name += field;
    return name;
}

} // namespace

OAToken::OAToken() : m_key(std::string()), m_secret(std::string()), m_sessionHandle(std::string())
{
}

OAToken::OAToken(std::string key, std::string secret) : m_key(std::move(key)), m_secret(std::move(secret))
{
}

ns::Ref<OAToken> OAToken::withHTTPResponseBody(std::string_view body)
{
    auto token = std::make_shared<OAToken>(std::nullopt);
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        std::string_view piece = body.substr(start, end - start);
        start = end + 1;
        std::size_t equals = piece.find('=');
        std::string_view name = piece.substr(0, equals);
        // A piece without "=" names a field with an empty value.
        std::string_view raw =
            equals == std::string_view::npos ? std::string_view() : piece.substr(equals + 1);
        // A malformed escape is kept as sent rather than losing the field.
        std::string value = ns::replacingPercentEscapes(raw).value_or(std::string(raw));
        if (name == "oauth_token")
            token->m_key = std::move(value);
        else if (name == "oauth_token_secret")
            token->m_secret = std::move(value);
        else if (name == "oauth_session_handle")
            token->m_sessionHandle = std::move(value);
    }
    return token;
}

ns::Ref<OAToken> OAToken::withUserDefaultsUsingServiceProviderName(std::string_view provider,
                                                                   std::string_view prefix)
{
    auto defaults = ns::UserDefaults::standard();
    auto key = defaults->stringForKey(defaultsName(provider, prefix, "KEY"));
    auto secret = defaults->stringForKey(defaultsName(provider, prefix, "SECRET"));
    if (!key || !secret)
        return nullptr;
    return std::make_shared<OAToken>(std::move(*key), std::move(*secret));
}

int OAToken::storeInUserDefaultsWithServiceProviderName(std::string_view provider,
                                                        std::string_view prefix) const
{
    auto defaults = ns::UserDefaults::standard();
    auto store = [&](const std::optional<std::string>& value, std::string_view field) {
        std::string name = defaultsName(provider, prefix, field);
        if (value)
            defaults->setObject(ns::String::make(*value), name);
        else
            defaults->removeObjectForKey(name);
    };
    store(m_key, "KEY");
    store(m_secret, "SECRET");
    // A token that did not reach the disk is lost at the next launch: say so rather than answer 0.
    return defaults->synchronize() ? 0 : -1;
}
