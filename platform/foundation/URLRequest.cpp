#include "foundation/URLRequest.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/String.h"

namespace ns {
namespace {

// Header names and values go on the wire as given: a line break inside one would forge another header.
bool isSafe(std::string_view text)
{
    return text.find_first_of("\r\n") == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

} // namespace

URLRequest::URLRequest(Ref<ns::URL> url, URLRequestCachePolicy policy, TimeInterval timeout)
    : m_url(std::move(url)), m_cachePolicy(policy), m_timeout(timeout)
{
}

Ref<URLRequest> URLRequest::requestWithURL(Ref<ns::URL> url)
{
    return make<URLRequest>(std::move(url));
}

Ref<URLRequest> URLRequest::requestWithURL(Ref<ns::URL> url, URLRequestCachePolicy policy,
                                           TimeInterval timeout)
{
    return make<URLRequest>(std::move(url), policy, timeout);
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(std::string_view field) const
{
    for (const auto& [name, value] : m_headers)
        if (equalsIgnoringAsciiCase(name, field))
            return value;
    return std::nullopt;
}

Ref<Dictionary> URLRequest::allHTTPHeaderFields() const
{
    auto fields = MutableDictionary::make();
    for (const auto& [name, value] : m_headers)
        fields->setObject(String::make(value), name);
    return fields;
}

Ref<MutableURLRequest> URLRequest::mutableCopy() const
{
    auto copy = make<MutableURLRequest>(m_url, m_cachePolicy, m_timeout);
    copy->setHTTPMethod(m_method);
    copy->setHTTPBody(m_body);
    copy->setHTTPShouldHandleCookies(m_handleCookies);
    copy->setMaximumResponseLength(m_maximumResponseLength);
    for (const auto& [name, value] : m_headers)
        copy->addValue(value, name);
    return copy;
}

std::string URLRequest::description() const
{
    return format("<%s %s %s>", className().c_str(), m_method.c_str(), URLString().c_str());
}

Ref<MutableURLRequest> MutableURLRequest::requestWithURL(Ref<ns::URL> url)
{
    return make<MutableURLRequest>(std::move(url));
}

Ref<MutableURLRequest> MutableURLRequest::requestWithURL(Ref<ns::URL> url, URLRequestCachePolicy policy,
                                                         TimeInterval timeout)
{
    return make<MutableURLRequest>(std::move(url), policy, timeout);
}

void MutableURLRequest::setHTTPMethod(std::string method)
{
    // A method is a token; anything else would corrupt the request line.
    if (method.empty() || method.find_first_of(" \t\r\n") != std::string::npos || !isSafe(method))
        return;
    m_method = std::move(method);
}

void MutableURLRequest::setValue(std::optional<std::string> value, std::string_view field)
{
    if (field.empty() || !isSafe(field) || field.find(':') != std::string_view::npos)
        return;
    if (value && !isSafe(*value))
        return;
    for (auto it = m_headers.begin(); it != m_headers.end(); ++it) {
        if (!equalsIgnoringAsciiCase(it->first, field))
            continue;
        if (value)
            it->second = std::move(*value);
        else
            m_headers.erase(it);
        return;
    }
    if (value)
        m_headers.emplace_back(std::string(field), std::move(*value));
}

void MutableURLRequest::addValue(const std::string& value, std::string_view field)
{
    if (auto existing = valueForHTTPHeaderField(field)) {
        setValue(*existing + ", " + value, field);
        return;
    }
    setValue(value, field);
}

void MutableURLRequest::setAllHTTPHeaderFields(const Dictionary* fields)
{
    m_headers.clear();
    if (!fields)
        return;
    fields->enumerateKeysAndObjects([this](const Id& key, const Id& value, bool&) {
        const std::string* name = stringValue(key);
        const std::string* text = stringValue(value);
        if (name && text)
            setValue(*text, *name);
    });
}

Id MutableURLRequest::copy() const
{
    return mutableCopy();
}

} // namespace ns
