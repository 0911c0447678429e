#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

namespace ns {
class URL;
}

// Putting texts into web requests, and taking the tags out of an HTML fragment.

// The text escaped for a form body or a query value: "&amp;" first becomes "&", then every character
// outside RFC 2396's unreserved and reserved sets is percent-escaped in UTF-8, then "&", "+", "#", "!" and
// "@" are escaped too. Nothing gives the empty text.
std::string SHKEscapeQueryText(const std::optional<std::string>& text);
// The same escaping without the entity step: every "&amp;" stays as it was typed. For values that are
// data rather than text from a page, such as a user name or a password.
std::string SHKEscapeQueryValue(const std::optional<std::string>& value);

// The URL's absolute text escaped to stand as one parameter value of another URL or form body: only
// letters, digits, "-", "_", "." and "~" stay as they are. Nothing gives the empty text.
std::string SHKEscapeURLString(const ns::Ref<ns::URL>& url);

// The text with every tag replaced by one blank, line feeds dropped unless kept, and blanks and tabs
// trimmed from both ends. A "<" without a ">" after it ends the stripping there.
std::string SHKPlainTextFromHTML(std::string_view html, bool keepLineBreaks);
