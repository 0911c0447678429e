#include "foundation/HTTPCookieStorage.h"

#include "foundation/Ascii.h"
#include "foundation/CHandle.h"
#include "foundation/Clock.h"
#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/URLResponse.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>

namespace ns {
namespace {

struct URLPieces
{
    std::string scheme;
    std::string host;
    std::string path;
};

bool piecesOf(std::string_view url, URLPieces& out)
{
    CHandle<CURLU, curl_url_cleanup> handle(curl_url());
    if (!handle)
        return false;
    std::string text(url);
    if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return false;
    auto get = [&](CURLUPart part, std::string& into) {
        char* value = nullptr;
        if (curl_url_get(handle.get(), part, &value, 0) != CURLUE_OK || !value)
            return false;
        CHandle<char, curl_free> holder(value);
        into = value;
        return true;
    };
    if (!get(CURLUPART_SCHEME, out.scheme) || !get(CURLUPART_HOST, out.host))
        return false;
    if (!get(CURLUPART_PATH, out.path))
        out.path.assign(1, '/');
    out.scheme = toLowerAscii(out.scheme);
    return true;
}

} // namespace

HTTPCookieStorage& HTTPCookieStorage::shared()
{
    static HTTPCookieStorage* storage = new HTTPCookieStorage(); // used by threads until exit
    return *storage;
}

void HTTPCookieStorage::purgeExpired(TimeInterval now) const
{
    std::erase_if(m_entries, [now](const Entry& entry) { return entry.cookie->isExpired(now); });
}

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookies() const
{
    TimeInterval now = Clock::current().now();
    std::lock_guard lock(m_mutex);
    purgeExpired(now);
    std::vector<Ref<HTTPCookie>> out;
    for (const auto& entry : m_entries)
        out.push_back(entry.cookie);
    return out;
}

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookiesFor(std::string_view host, std::string_view path,
                                                           bool secure) const
{
    TimeInterval now = Clock::current().now();
    std::vector<Entry> matching;
    {
        std::lock_guard lock(m_mutex);
        purgeExpired(now);
        for (const auto& entry : m_entries)
            if (entry.cookie->matchesDomain(host) && entry.cookie->matchesPath(path) &&
                (secure || !entry.cookie->isSecure()))
                matching.push_back(entry);
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Entry& a, const Entry& b) {
        if (a.cookie->path().size() != b.cookie->path().size())
            return a.cookie->path().size() > b.cookie->path().size();
        return a.order < b.order;
    });
    std::vector<Ref<HTTPCookie>> out;
    for (auto& entry : matching)
        out.push_back(std::move(entry.cookie));
    return out;
}

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookiesForURLString(std::string_view url) const
{
    URLPieces pieces;
    if (!piecesOf(url, pieces))
        return {};
    return cookiesFor(pieces.host, pieces.path, pieces.scheme == "https");
}

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookiesForURL(const URL* url) const
{
    return url ? cookiesForURLString(url->absoluteString()) : std::vector<Ref<HTTPCookie>>();
}

void HTTPCookieStorage::setCookies(const std::vector<Ref<HTTPCookie>>& cookies, const URL* url)
{
    URLPieces pieces;
    if (!url || !piecesOf(url->absoluteString(), pieces))
        return;
    for (const auto& cookie : cookies)
        if (cookie && cookie->matchesDomain(pieces.host))
            setCookie(cookie);
}

void HTTPCookieStorage::setCookie(const Ref<HTTPCookie>& cookie)
{
    if (!cookie || cookie->name().size() + cookie->value().size() > MaximumCookieBytes)
        return;
    TimeInterval now = Clock::current().now();
    std::lock_guard lock(m_mutex);
    auto existing = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const Entry& entry) { return entry.cookie->sameIdentity(*cookie); });
    if (cookie->isExpired(now)) {
        if (existing != m_entries.end())
            m_entries.erase(existing);
        return;
    }
    if (existing != m_entries.end()) {
        existing->cookie = cookie; // keeps its place among equal paths
        return;
    }
    purgeExpired(now);
    if (m_entries.size() >= MaximumCookies)
        m_entries.erase(m_entries.begin()); // the oldest goes first
    m_entries.push_back(Entry{cookie, m_nextOrder++});
}

void HTTPCookieStorage::deleteCookie(const Ref<HTTPCookie>& cookie)
{
    if (!cookie)
        return;
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.cookie->sameIdentity(*cookie); });
}

void HTTPCookieStorage::deleteAllCookies()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

void HTTPCookieStorage::setCookiesFromFields(const std::vector<std::string>& fields, std::string_view url)
{
    URLPieces pieces;
    if (fields.empty() || !piecesOf(url, pieces))
        return;
    TimeInterval now = Clock::current().now();
    for (const auto& field : fields)
        if (auto cookie = HTTPCookie::parseSetCookie(field, pieces.host, pieces.path, now))
            setCookie(cookie);
}

void HTTPCookieStorage::setCookiesFromResponse(const HTTPURLResponse& response)
{
    std::vector<std::string> fields;
    for (const auto& [name, value] : response.rawHeaderFields())
        if (equalsIgnoringAsciiCase(name, "Set-Cookie"))
            fields.push_back(value);
    setCookiesFromFields(fields, response.URLString());
}

Ref<Dictionary> HTTPCookieStorage::requestHeaderFieldsWithCookies(const std::vector<Ref<HTTPCookie>>& cookies)
{
    auto fields = MutableDictionary::make();
    std::vector<std::string> pairs;
    for (const auto& cookie : cookies)
        if (cookie)
            pairs.push_back(cookie->name() + "=" + cookie->value());
    if (!pairs.empty())
        fields->setObject(String::make(join(pairs, "; ")), "Cookie");
    return fields;
}

} // namespace ns
