#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

namespace ns {

// A parsed URL text. Texts that are not URL text give nothing; texts without a scheme are relative URLs
// and valid. The parts are views of the text as given: user, password, host and path are percent-decoded,
// the query, the fragment and the resource specifier are not.
class URL : public Object
{
public:
    static Ref<URL> withString(std::string_view text);
    // The file URL of a path ("file:///path"), escaped as needed.
    static Ref<URL> fileURL(std::string_view path);

    const std::string& absoluteString() const { return m_text; }
    const std::optional<std::string>& scheme() const { return m_scheme; }
    // Everything after "scheme:" (the whole text of a relative URL).
    std::string resourceSpecifier() const;
    std::optional<std::string> user() const;
    std::optional<std::string> password() const;
    std::optional<std::string> host() const;
    const std::optional<int>& port() const { return m_port; }
    // The decoded path without a trailing "/" (the root stays "/"); nothing for opaque URLs ("mailto:a@b").
    std::optional<std::string> path() const;
    const std::optional<std::string>& query() const { return m_query; }
    const std::optional<std::string>& fragment() const { return m_fragment; }
    bool isFileURL() const;

    // The URL with one more path component, escaped, before the query and fragment.
    Ref<URL> URLByAppendingPathComponent(std::string_view component) const;

    std::string className() const override { return "NSURL"; }
    std::string description() const override { return m_text; }
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

    URL() = default;

private:
    std::string m_text;
    std::optional<std::string> m_scheme;
    std::optional<std::string> m_user;
    std::optional<std::string> m_password;
    std::optional<std::string> m_host;
    std::optional<int> m_port;
    std::optional<std::string> m_path; // raw
    std::optional<std::string> m_query;
    std::optional<std::string> m_fragment;
    std::size_t m_pathEnd = 0; // where the path ends in the text
};

} // namespace ns
