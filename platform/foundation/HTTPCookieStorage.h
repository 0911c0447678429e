#pragma once

#include "foundation/HTTPCookie.h"
#include "foundation/Object.h"

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

class Dictionary;
class HTTPURLResponse;
class URL;

// The process's cookie jar, shared by every connection and the web view: cookies set by responses are kept
// and sent back to the hosts and paths they belong to until they expire or are deleted. Thread-safe.
class HTTPCookieStorage
{
public:
    static HTTPCookieStorage& shared();

    // Every cookie that has not expired.
    std::vector<Ref<HTTPCookie>> cookies() const;
    // Those a request to the URL carries, longest path first.
    std::vector<Ref<HTTPCookie>> cookiesForURL(const URL* url) const;
    std::vector<Ref<HTTPCookie>> cookiesForURLString(std::string_view url) const;
    std::vector<Ref<HTTPCookie>> cookiesFor(std::string_view host, std::string_view path, bool secure) const;

    // Replaces a cookie of the same name, domain and path; an expired one only removes it.
    void setCookie(const Ref<HTTPCookie>& cookie);
    void deleteCookie(const Ref<HTTPCookie>& cookie);
    void deleteAllCookies();

    // Keeps the cookies the response's Set-Cookie fields set for its URL.
    void setCookiesFromResponse(const HTTPURLResponse& response);
    void setCookiesFromFields(const std::vector<std::string>& setCookieFields, std::string_view url);
    // Keeps those of the cookies that the URL's host may set; the others are refused.
    void setCookies(const std::vector<Ref<HTTPCookie>>& cookies, const URL* url);

    // {"Cookie": "a=b; c=d"}, or an empty dictionary for no cookies.
    static Ref<Dictionary> requestHeaderFieldsWithCookies(const std::vector<Ref<HTTPCookie>>& cookies);

    // Bounds that keep a hostile server from filling memory.
    static constexpr std::size_t MaximumCookies = 3000;
    static constexpr std::size_t MaximumCookieBytes = 4096;

private:
    struct Entry
    {
        Ref<HTTPCookie> cookie;
        uint64_t order;
    };
    void purgeExpired(TimeInterval now) const;

    mutable std::mutex m_mutex;
    mutable std::vector<Entry> m_entries;
    uint64_t m_nextOrder = 1;
};

} // namespace ns
