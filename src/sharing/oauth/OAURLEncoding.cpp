#include "sharing/oauth/OAURLEncoding.h"

#include "foundation/Ascii.h"
#include "foundation/Escaping.h"
#include "foundation/Text.h"

namespace OAURLEncoding {

namespace {

bool isUnreserved(char c)
{
    return ns::isAsciiAlphanumeric(c) || c == '-' || c == '_' || c == '.' || c == '~';
}

} // namespace

std::string URLEncodedString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(ch)) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(ns::upperHexDigits[c >> 4]);
            out.push_back(ns::upperHexDigits[c & 15]);
        }
    }
    return out;
}

std::string URLDecodedString(std::string_view text)
{
    return ns::replacingPercentEscapes(text).value_or(std::string(text));
}

std::string formDecodedString(std::string_view text)
{
    std::string spaced(text);
    for (char& c : spaced)
        if (c == '+')
            c = ' ';
    return URLDecodedString(spaced);
}

bool isFormEncoded(std::string_view text)
{
    static constexpr std::string_view marks = "-._~=&;:%+,*@!()/?'$";
    for (char c : text)
        if (!isUnreserved(c) && marks.find(c) == std::string_view::npos)
            return false;
    return ns::hasValidPercentEscapes(text);
}

std::string URLStringWithoutQuery(const ns::URL& url)
{
    const std::string& text = url.absoluteString();
    return text.substr(0, text.find('?'));
}

std::string_view queryOfURLString(std::string_view url)
{
    url = url.substr(0, url.find('#'));
    std::size_t question = url.find('?');
    if (question == std::string_view::npos)
        return {};
    return url.substr(question + 1);
}

std::string normalizedBaseURLString(std::string_view url)
{
    url = url.substr(0, url.find('#'));
    url = url.substr(0, url.find('?'));
    std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos)
        return std::string(url);
    std::string scheme = ns::toLowerAscii(url.substr(0, schemeEnd));
    std::string_view rest = url.substr(schemeEnd + 3);
    std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority = authority.substr(at + 1);
    std::string_view host = authority;
    std::string_view port;
    std::size_t bracket = authority.rfind(']');
    std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    bool defaultPort =
        port.empty() || (scheme == "http" && port == "80") || (scheme == "https" && port == "443");
    std::string out = scheme + "://" + ns::toLowerAscii(host);
    if (!defaultPort) {
        out += ':';
        out += port;
    }
    out += path.empty() ? std::string_view("/") : path;
    return out;
}

} // namespace OAURLEncoding
