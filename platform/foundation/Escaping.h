#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ns {

// Percent escaping of UTF-8 text for URLs. Letters, digits and "-_.!~*'();/?:@&=+$," stay as they are,
// and so do the characters in `charactersToLeaveUnescaped`, unless they are also in
// `legalURLCharactersToBeEscaped`; every other byte becomes "%" and two upper-case hexadecimal digits.
std::string addingPercentEscapes(std::string_view text, std::string_view charactersToLeaveUnescaped = {},
                                 std::string_view legalURLCharactersToBeEscaped = {});

// Every "%XX" replaced by its byte; nothing when an escape is malformed or the result is not valid UTF-8.
std::optional<std::string> replacingPercentEscapes(std::string_view text);

// Whether every "%" starts a two-digit hexadecimal escape.
bool hasValidPercentEscapes(std::string_view text);

// "&", "<" and ">" as entities, and '"' too when `quotes` is set (text inside an attribute).
void appendXMLEscaped(std::string& out, std::string_view text, bool quotes);

} // namespace ns
