#pragma once

#include "foundation/URL.h"

#include <string>
#include <string_view>

// The escaping every signed text goes through, and the URL and form readings signing needs.
namespace OAURLEncoding {

// UTF-8 percent escaping in which only letters, digits, "-", "_", "." and "~" stay; hex in upper case.
std::string URLEncodedString(std::string_view text);
// Every percent escape decoded; a text whose escapes are malformed is returned as it is.
std::string URLDecodedString(std::string_view text);
// A form-encoded name or value: "+" is a space, then the escapes are decoded.
std::string formDecodedString(std::string_view text);

// Whether a body is form-encoded text a server reads as parameters: only the characters a form's
// encoding leaves or produces (letters, digits and "-._~=&;:%+,*@!()/?'$"), every "%" starting a
// two-digit escape.
bool isFormEncoded(std::string_view text);

// The URL's absolute text up to the first "?" (the whole text when it has none).
std::string URLStringWithoutQuery(const ns::URL& url);
// The URL as a server reconstructs it for a signature: scheme and host in lower case, no user, the
// default port dropped, "/" for an empty path, no query and no fragment.
std::string normalizedBaseURLString(std::string_view url);
// The URL's query: between the first "?" and the fragment; empty without one.
std::string_view queryOfURLString(std::string_view url);

} // namespace OAURLEncoding
