#include "foundation/URL.h"

#include "foundation/Ascii.h"
#include "foundation/Escaping.h"

#include <functional>

namespace ns {
namespace {

// Printable ASCII except the characters no URL may hold unescaped.
bool isURLCharacter(char c)
{
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F)
        return false;
    return std::string_view("\"<>\\^`{|}").find(c) == std::string_view::npos;
}

std::string decoded(const std::string& text)
{
    auto value = replacingPercentEscapes(text);
    return value ? *value : text;
}

} // namespace

Ref<URL> URL::withString(std::string_view text)
{
    if (text.empty())
        return nullptr;
    int hashes = 0;
    for (char c : text) {
        if (!isURLCharacter(c))
            return nullptr;
        hashes += c == '#';
    }
    if (hashes > 1 || !hasValidPercentEscapes(text))
        return nullptr;

    auto url = std::make_shared<URL>();
    url->m_text = std::string(text);
    std::string_view rest = text;

    if (isAsciiAlpha(text[0])) {
        std::size_t i = 1;
        while (i < text.size() && (isAsciiAlpha(text[i]) || isAsciiDigit(text[i]) || text[i] == '+' ||
                                   text[i] == '-' || text[i] == '.'))
            ++i;
        if (i < text.size() && text[i] == ':') {
            url->m_scheme = std::string(text.substr(0, i));
            rest = text.substr(i + 1);
        }
    }
    std::size_t offset = text.size() - rest.size();

    // An opaque URL ("mailto:someone@example.com", "tel:123") has no parts past its specifier.
    if (url->m_scheme && (rest.empty() || rest[0] != '/')) {
        url->m_pathEnd = text.size();
        return url;
    }

    if (std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        url->m_fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (std::size_t question = rest.find('?'); question != std::string_view::npos) {
        url->m_query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    std::size_t pathStart = 0;
    if (rest.substr(0, 2) == "//") {
        std::size_t end = rest.find('/', 2);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view authority = rest.substr(2, end - 2);
        pathStart = end;
        if (std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
            std::string_view userInfo = authority.substr(0, at);
            authority = authority.substr(at + 1);
            if (std::size_t colon = userInfo.find(':'); colon != std::string_view::npos) {
                url->m_user = std::string(userInfo.substr(0, colon));
                url->m_password = std::string(userInfo.substr(colon + 1));
            } else {
                url->m_user = std::string(userInfo);
            }
        }
        std::string_view hostPart = authority;
        std::string_view portPart;
        bool hasPort = false;
        if (!authority.empty() && authority[0] == '[') {
            std::size_t close = authority.find(']');
            if (close == std::string_view::npos)
                return nullptr;
            hostPart = authority.substr(1, close - 1);
            std::string_view after = authority.substr(close + 1);
            if (!after.empty()) {
                if (after[0] != ':')
                    return nullptr;
                hasPort = true;
                portPart = after.substr(1);
            }
        } else if (std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
            hostPart = authority.substr(0, colon);
            portPart = authority.substr(colon + 1);
            hasPort = true;
        }
        if (hostPart.find_first_of("[]") != std::string_view::npos)
            return nullptr;
        if (hasPort && !portPart.empty()) {
            if (portPart.size() > 5)
                return nullptr;
            int port = 0;
            for (char c : portPart) {
                if (!isAsciiDigit(c))
                    return nullptr;
                port = port * 10 + (c - '0');
            }
            if (port > 65535)
                return nullptr;
            url->m_port = port;
        }
        url->m_host = std::string(hostPart);
    }
    url->m_path = std::string(rest.substr(pathStart));
    url->m_pathEnd = offset + rest.size();
    return url;
}

Ref<URL> URL::fileURL(std::string_view path)
{
    return withString("file://" + addingPercentEscapes(path, {}, "?#;"));
}

std::string URL::resourceSpecifier() const
{
    if (!m_scheme)
        return m_text;
    return m_text.substr(m_scheme->size() + 1);
}

std::optional<std::string> URL::user() const
{
    if (!m_user)
        return std::nullopt;
    return decoded(*m_user);
}

std::optional<std::string> URL::password() const
{
    if (!m_password)
        return std::nullopt;
    return decoded(*m_password);
}

std::optional<std::string> URL::host() const
{
    if (!m_host)
        return std::nullopt;
    return decoded(*m_host);
}

std::optional<std::string> URL::path() const
{
    if (!m_path)
        return std::nullopt;
    std::string value = decoded(*m_path);
    if (value.size() > 1 && value.back() == '/')
        value.pop_back();
    return value;
}

bool URL::isFileURL() const
{
    return m_scheme && (*m_scheme == "file" || *m_scheme == "FILE");
}

Ref<URL> URL::URLByAppendingPathComponent(std::string_view component) const
{
    std::string text = m_text.substr(0, m_pathEnd);
    if (!m_path)
        return nullptr;
    if (text.empty() || text.back() != '/')
        text += '/';
    text += addingPercentEscapes(component, {}, "?#;");
    text += m_text.substr(m_pathEnd);
    return withString(text);
}

bool URL::isEqual(const Object& other) const
{
    auto* url = dynamic_cast<const URL*>(&other);
    return url && url->m_text == m_text;
}

std::size_t URL::hash() const
{
    return std::hash<std::string>()(m_text);
}

} // namespace ns
