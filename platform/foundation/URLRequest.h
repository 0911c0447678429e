#pragma once

#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Object.h"
#include "foundation/URL.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ns {

class Dictionary;
class MutableURLRequest;

enum class URLRequestCachePolicy {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
    ReloadIgnoringLocalAndRemoteCacheData = 4,
    ReloadRevalidatingCacheData = 5,
};

inline constexpr TimeInterval URLRequestDefaultTimeout = 60;
// The most a reply's body may hold, once decoded, unless a request says otherwise: a server's answer, a
// page or a small picture; a reply that grows past it fails rather than taking the device's memory.
inline constexpr std::size_t URLRequestDefaultMaximumResponseLength = std::size_t(4) << 20;

// What to load: the address, the method, header fields, a body, a cache policy (recorded: nothing is
// cached), a timeout, the longest the whole load may take, and the most the reply's body may hold.
class URLRequest : public Object
{
public:
    using HeaderFields = std::vector<std::pair<std::string, std::string>>;

    explicit URLRequest(Ref<ns::URL> url = nullptr,
                        URLRequestCachePolicy policy = URLRequestCachePolicy::UseProtocolCachePolicy,
                        TimeInterval timeout = URLRequestDefaultTimeout);

    static Ref<URLRequest> requestWithURL(Ref<ns::URL> url);
    static Ref<URLRequest> requestWithURL(Ref<ns::URL> url, URLRequestCachePolicy policy,
                                          TimeInterval timeout);

    const Ref<ns::URL>& URL() const { return m_url; }
    // The URL's text, or "" without one.
    std::string URLString() const { return m_url ? m_url->absoluteString() : std::string(); }
    URLRequestCachePolicy cachePolicy() const { return m_cachePolicy; }
    TimeInterval timeoutInterval() const { return m_timeout; }
    const std::string& HTTPMethod() const { return m_method; }
    Ref<Data> HTTPBody() const { return m_body; }
    bool HTTPShouldHandleCookies() const { return m_handleCookies; }
    std::size_t maximumResponseLength() const { return m_maximumResponseLength; }

    // Field names are looked up without regard to case.
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    const HeaderFields& headerFields() const { return m_headers; }
    Ref<Dictionary> allHTTPHeaderFields() const;

    Ref<MutableURLRequest> mutableCopy() const;

    std::string className() const override { return "NSURLRequest"; }
    std::string description() const override;

protected:
    Ref<ns::URL> m_url;
    URLRequestCachePolicy m_cachePolicy;
    TimeInterval m_timeout;
    std::string m_method = "GET";
    HeaderFields m_headers;
    Ref<Data> m_body;
    bool m_handleCookies = true;
    std::size_t m_maximumResponseLength = URLRequestDefaultMaximumResponseLength;
};

class MutableURLRequest : public URLRequest
{
public:
    using URLRequest::URLRequest;

    static Ref<MutableURLRequest> requestWithURL(Ref<ns::URL> url);
    static Ref<MutableURLRequest> requestWithURL(Ref<ns::URL> url, URLRequestCachePolicy policy,
                                                 TimeInterval timeout);

    void setURL(Ref<ns::URL> url) { m_url = std::move(url); }
    void setCachePolicy(URLRequestCachePolicy policy) { m_cachePolicy = policy; }
    void setTimeoutInterval(TimeInterval timeout) { m_timeout = timeout; }
    void setHTTPMethod(std::string method);
    void setHTTPBody(Ref<Data> body) { m_body = std::move(body); }
    void setHTTPShouldHandleCookies(bool value) { m_handleCookies = value; }
    void setMaximumResponseLength(std::size_t bytes) { m_maximumResponseLength = bytes; }

    // Replaces the field (any case); nothing removes it.
    void setValue(std::optional<std::string> value, std::string_view field);
    // Appends to the field with ", ", or sets it.
    void addValue(const std::string& value, std::string_view field);
    // Replaces every field; text keys and values only, others are skipped.
    void setAllHTTPHeaderFields(const Dictionary* fields);

    Id copy() const override;
    std::string className() const override { return "NSMutableURLRequest"; }
};

} // namespace ns
