#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

namespace ns {

class Dictionary;

// Property keys of a cookie.
inline constexpr const char* HTTPCookieName = "Name";
inline constexpr const char* HTTPCookieValue = "Value";
inline constexpr const char* HTTPCookieDomain = "Domain";
inline constexpr const char* HTTPCookiePath = "Path";
inline constexpr const char* HTTPCookieExpires = "Expires";
inline constexpr const char* HTTPCookieMaximumAge = "Max-Age";
inline constexpr const char* HTTPCookieSecure = "Secure";
inline constexpr const char* HTTPCookieOriginURL = "OriginURL";
inline constexpr const char* HTTPCookieDiscard = "Discard";

// One cookie. A domain that starts with "." also matches the hosts below it; one without matches its host
// only. A cookie without an expiry date lasts for the session.
class HTTPCookie : public Object
{
public:
    HTTPCookie(std::string name, std::string value, std::string domain, std::string path,
               std::optional<TimeInterval> expires, bool secure, bool httpOnly);

    // Needs Name, Value and Domain (or an OriginURL to take the host from); Path defaults to "/".
    // Expires is a date or a text date; Max-Age (seconds) wins over it; Secure is any true value.
    static Ref<HTTPCookie> cookieWithProperties(const Dictionary& properties);
    // A Set-Cookie field received from `host` for a request to `requestPath`; nothing when the field is
    // malformed or names a domain the host may not set.
    static Ref<HTTPCookie> parseSetCookie(std::string_view field, std::string_view host,
                                          std::string_view requestPath, TimeInterval now);

    const std::string& name() const { return m_name; }
    const std::string& value() const { return m_value; }
    const std::string& domain() const { return m_domain; }
    const std::string& path() const { return m_path; }
    Ref<Date> expiresDate() const;
    std::optional<TimeInterval> expires() const { return m_expires; }
    bool isSecure() const { return m_secure; }
    bool isHTTPOnly() const { return m_httpOnly; }
    bool isSessionOnly() const { return !m_expires.has_value(); }
    Ref<Dictionary> properties() const;

    bool isExpired(TimeInterval now) const { return m_expires && *m_expires <= now; }
    bool matchesDomain(std::string_view host) const;
    bool matchesPath(std::string_view requestPath) const;
    // Same name, domain and path: one replaces the other in a store.
    bool sameIdentity(const HTTPCookie& other) const;

    std::string className() const override { return "NSHTTPCookie"; }
    std::string description() const override;
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

    // The day a cookie date names (the lenient format servers send), or nothing.
    static std::optional<TimeInterval> parseCookieDate(std::string_view text);
    // The path a cookie without one gets: the request path up to its last "/".
    static std::string defaultPath(std::string_view requestPath);

private:
    std::string m_name;
    std::string m_value;
    std::string m_domain;
    std::string m_path;
    std::optional<TimeInterval> m_expires;
    bool m_secure;
    bool m_httpOnly;
};

} // namespace ns
