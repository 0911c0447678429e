#include "sharing/oauth/OAToken.h"

#include "foundation/Escaping.h"

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
