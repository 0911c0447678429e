#include "foundation/HTTPCookie.h"

#include "foundation/Ascii.h"
#include "foundation/CHandle.h"
#include "foundation/CivilDate.h"
#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <arpa/inet.h>
#include <cmath>
#include <curl/curl.h>
#include <functional>
#include <memory>

namespace ns {
namespace {

bool isIPAddress(std::string_view host)
{
    std::string text(host);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    unsigned char buffer[16];
    return inet_pton(AF_INET, text.c_str(), buffer) == 1 || inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

bool isDelimiter(unsigned char c)
{
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
}

// Reads 1 to `maxDigits` leading digits followed by nothing or a non-digit; -1 otherwise.
int leadingNumber(std::string_view token, std::size_t minDigits, std::size_t maxDigits,
                  std::size_t* used = nullptr)
{
    std::size_t count = 0;
    int value = 0;
    while (count < token.size() && isAsciiDigit(token[count])) {
        if (count == maxDigits)
            return -1;
        value = value * 10 + (token[count] - '0');
        ++count;
    }
    if (count < minDigits)
        return -1;
    if (used)
        *used = count;
    return value;
}

} // namespace

HTTPCookie::HTTPCookie(std::string name, std::string value, std::string domain, std::string path,
                       std::optional<TimeInterval> expires, bool secure, bool httpOnly)
    : m_name(std::move(name)), m_value(std::move(value)), m_domain(toLowerAscii(domain)),
      m_path(std::move(path)), m_expires(expires), m_secure(secure), m_httpOnly(httpOnly)
{
    if (m_path.empty())
        m_path.push_back('/');
}

Ref<Date> HTTPCookie::expiresDate() const
{
    return m_expires ? Date::withTimeIntervalSince1970(*m_expires) : nullptr;
}

std::optional<TimeInterval> HTTPCookie::parseCookieDate(std::string_view text)
{
    bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
    int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
    static const char* months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isDelimiter(static_cast<unsigned char>(text[at])))
            ++at;
        std::size_t start = at;
        while (at < text.size() && !isDelimiter(static_cast<unsigned char>(text[at])))
            ++at;
        std::string_view token = text.substr(start, at - start);
        if (token.empty())
            continue;
        if (!haveTime) {
            // hh:mm:ss, each one or two digits, anything after the seconds' digits ignored
            std::size_t used = 0;
            int h = leadingNumber(token, 1, 2, &used);
            if (h >= 0 && used < token.size() && token[used] == ':') {
                std::string_view rest = token.substr(used + 1);
                int m = leadingNumber(rest, 1, 2, &used);
                if (m >= 0 && used < rest.size() && rest[used] == ':') {
                    rest = rest.substr(used + 1);
                    int s = leadingNumber(rest, 1, 2, &used);
                    if (s >= 0 && (used == rest.size() || !isAsciiDigit(rest[used]))) {
                        hour = h, minute = m, second = s;
                        haveTime = true;
                        continue;
                    }
                }
            }
        }
        if (!haveDay) {
            std::size_t used = 0;
            int d = leadingNumber(token, 1, 2, &used);
            if (d >= 0 && (used == token.size() || !isAsciiDigit(token[used]))) {
                day = d;
                haveDay = true;
                continue;
            }
        }
        if (!haveMonth && token.size() >= 3) {
            std::string prefix = toLowerAscii(token.substr(0, 3));
            bool found = false;
            for (int i = 0; i < 12; ++i)
                if (prefix == months[i]) {
                    month = i + 1;
                    haveMonth = found = true;
                }
            if (found)
                continue;
        }
        if (!haveYear) {
            std::size_t used = 0;
            int y = leadingNumber(token, 2, 4, &used);
            if (y >= 0 && (used == token.size() || !isAsciiDigit(token[used]))) {
                year = y;
                haveYear = true;
                continue;
            }
        }
    }
    if (!haveTime || !haveDay || !haveMonth || !haveYear)
        return std::nullopt;
    if (year >= 70 && year <= 99)
        year += 1900;
    else if (year >= 0 && year <= 69)
        year += 2000;
    if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<TimeInterval>(days * 86400 + hour * 3600 + minute * 60 + second);
}

std::string HTTPCookie::defaultPath(std::string_view requestPath)
{
    if (requestPath.empty() || requestPath.front() != '/')
        return "/";
    auto last = requestPath.rfind('/');
    if (last == 0)
        return "/";
    return std::string(requestPath.substr(0, last));
}

Ref<HTTPCookie> HTTPCookie::parseSetCookie(std::string_view field, std::string_view host,
                                           std::string_view requestPath, TimeInterval now)
{
    if (field.size() > 8192 || host.empty())
        return nullptr;
    std::string lowerHost = toLowerAscii(host);
    auto semicolon = field.find(';');
    std::string_view pair = field.substr(0, semicolon);
    auto equals = pair.find('=');
    if (equals == std::string_view::npos)
        return nullptr;
    std::string name(trimBlanks(pair.substr(0, equals)));
    std::string value(trimBlanks(pair.substr(equals + 1)));
    if (name.empty() || name.find_first_of("\r\n") != std::string::npos ||
        value.find_first_of("\r\n") != std::string::npos)
        return nullptr;

    std::optional<TimeInterval> expires, maxAgeExpiry;
    std::string domain;
    std::string path;
    bool secure = false, httpOnly = false;
    std::string_view rest =
        semicolon == std::string_view::npos ? std::string_view() : field.substr(semicolon + 1);
    while (!rest.empty()) {
        auto next = rest.find(';');
        std::string_view attribute = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
        auto mark = attribute.find('=');
        std::string key = toLowerAscii(trimBlanks(attribute.substr(0, mark)));
        std::string_view argument =
            mark == std::string_view::npos ? std::string_view() : trimBlanks(attribute.substr(mark + 1));
        if (key == "expires") {
            if (auto date = parseCookieDate(argument))
                expires = date;
        } else if (key == "max-age") {
            if (argument.empty() || !(isAsciiDigit(argument[0]) || argument[0] == '-'))
                continue;
            bool negative = argument[0] == '-';
            std::string_view digits = negative ? argument.substr(1) : argument;
            if (digits.empty())
                continue;
            double seconds = 0;
            bool valid = true;
            for (char c : digits) {
                if (!isAsciiDigit(c)) {
                    valid = false;
                    break;
                }
                seconds = std::min(seconds * 10 + (c - '0'), 1e12);
            }
            if (!valid)
                continue;
            maxAgeExpiry = (negative || seconds == 0) ? now - 1 : now + seconds;
        } else if (key == "domain") {
            std::string_view text = argument;
            if (!text.empty() && text.front() == '.')
                text.remove_prefix(1);
            if (!text.empty())
                domain = toLowerAscii(text);
        } else if (key == "path") {
            if (!argument.empty() && argument.front() == '/')
                path = std::string(argument);
        } else if (key == "secure") {
            secure = true;
        } else if (key == "httponly") {
            httpOnly = true;
        }
    }
    if (maxAgeExpiry)
        expires = maxAgeExpiry;

    std::string storedDomain;
    if (domain.empty() || domain == lowerHost) {
        // A host-only cookie, unless the host itself was named (then the subdomains share it too).
        storedDomain = domain.empty() ? lowerHost : "." + domain;
        if (!domain.empty() && isIPAddress(lowerHost))
            storedDomain = lowerHost;
    } else {
        // A host may set a cookie for itself or a parent domain, never for a sibling, and a bare top-level
        // name or an address never names a family of hosts.
        bool parent = lowerHost.size() > domain.size() &&
                      lowerHost.compare(lowerHost.size() - domain.size(), domain.size(), domain) == 0 &&
                      lowerHost[lowerHost.size() - domain.size() - 1] == '.';
        if (!parent || isIPAddress(lowerHost) || domain.find('.') == std::string::npos)
            return nullptr;
        storedDomain = "." + domain;
    }
    if (path.empty())
        path = defaultPath(requestPath);
    return make<HTTPCookie>(std::move(name), std::move(value), std::move(storedDomain), std::move(path),
                            expires, secure, httpOnly);
}

Ref<HTTPCookie> HTTPCookie::cookieWithProperties(const Dictionary& properties)
{
    auto name = properties.stringForKey(HTTPCookieName);
    auto value = properties.stringForKey(HTTPCookieValue);
    if (!name || name->empty() || !value)
        return nullptr;
    auto domain = properties.stringForKey(HTTPCookieDomain);
    if (!domain || domain->empty()) {
        // The origin's host stands in for a missing domain.
        auto origin = properties.stringForKey(HTTPCookieOriginURL);
        if (!origin)
            return nullptr;
        CHandle<CURLU, curl_url_cleanup> url(curl_url());
        char* host = nullptr;
        if (!url || curl_url_set(url.get(), CURLUPART_URL, origin->c_str(), 0) != CURLUE_OK ||
            curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host)
            return nullptr;
        CHandle<char, curl_free> hostHolder(host);
        domain = std::string(host);
    }
    std::string path = properties.stringForKey(HTTPCookiePath).value_or("/");
    if (path.empty())
        path.push_back('/');
    // These go into Cookie fields as they are: a line break or separator would forge another one.
    auto unsafe = [](const std::string& text, const char* forbidden) {
        return text.find_first_of(forbidden) != std::string::npos;
    };
    if (unsafe(*name, "\r\n;= \t") || unsafe(*domain, "\r\n; \t") || unsafe(path, "\r\n;") ||
        unsafe(*value, "\r\n;"))
        return nullptr;

    std::optional<TimeInterval> expires;
    Id expiry = properties.objectForKey(std::string_view(HTTPCookieExpires));
    if (auto date = cast<Date>(expiry))
        expires = date->timeIntervalSince1970();
    else if (auto text = cast<String>(expiry))
        expires = parseCookieDate(text->str());
    Id maxAge = properties.objectForKey(std::string_view(HTTPCookieMaximumAge));
    std::optional<double> age;
    if (auto number = cast<Number>(maxAge))
        age = number->doubleValue();
    else if (auto text = cast<String>(maxAge))
        age = doubleValue(text->str());
    if (age && std::isfinite(*age))
        expires = Date::now()->timeIntervalSince1970() + *age;
    if (auto discard = properties.stringForKey(HTTPCookieDiscard); discard && boolValue(*discard) && !age)
        expires.reset();

    bool secure = false;
    Id secureValue = properties.objectForKey(std::string_view(HTTPCookieSecure));
    if (auto number = cast<Number>(secureValue))
        secure = number->boolValue();
    else if (auto text = cast<String>(secureValue))
        secure = boolValue(text->str()) || equalsIgnoringAsciiCase(text->str(), "TRUE");
    return make<HTTPCookie>(*name, *value, *domain, path, expires, secure, false);
}

Ref<Dictionary> HTTPCookie::properties() const
{
    auto properties = MutableDictionary::make();
    properties->setObject(String::make(m_name), HTTPCookieName);
    properties->setObject(String::make(m_value), HTTPCookieValue);
    properties->setObject(String::make(m_domain), HTTPCookieDomain);
    properties->setObject(String::make(m_path), HTTPCookiePath);
    if (m_expires)
        properties->setObject(Date::withTimeIntervalSince1970(*m_expires), HTTPCookieExpires);
    if (m_secure)
        properties->setObject(String::make("TRUE"), HTTPCookieSecure);
    return properties;
}

bool HTTPCookie::matchesDomain(std::string_view host) const
{
    std::string lowerHost = toLowerAscii(host);
    if (m_domain.empty())
        return false;
    if (m_domain.front() != '.')
        return lowerHost == m_domain;
    std::string_view bare = std::string_view(m_domain).substr(1);
    if (lowerHost == bare)
        return true;
    return lowerHost.size() > m_domain.size() &&
           lowerHost.compare(lowerHost.size() - m_domain.size(), m_domain.size(), m_domain) == 0;
}

bool HTTPCookie::matchesPath(std::string_view requestPath) const
{
    if (requestPath.empty())
        requestPath = "/";
    if (requestPath == m_path)
        return true;
    if (requestPath.substr(0, m_path.size()) != m_path)
        return false;
    return m_path.back() == '/' || requestPath[m_path.size()] == '/';
}

bool HTTPCookie::sameIdentity(const HTTPCookie& other) const
{
    return m_name == other.m_name && m_domain == other.m_domain && m_path == other.m_path;
}

std::string HTTPCookie::description() const
{
    return format("<NSHTTPCookie %s=%s; domain=%s; path=%s>", m_name.c_str(), m_value.c_str(),
                  m_domain.c_str(), m_path.c_str());
}

bool HTTPCookie::isEqual(const Object& other) const
{
    auto* cookie = dynamic_cast<const HTTPCookie*>(&other);
    return cookie && sameIdentity(*cookie) && m_value == cookie->m_value && m_expires == cookie->m_expires &&
           m_secure == cookie->m_secure;
}

std::size_t HTTPCookie::hash() const
{
    return std::hash<std::string>()(m_name) ^ std::hash<std::string>()(m_domain);
}

} // namespace ns
