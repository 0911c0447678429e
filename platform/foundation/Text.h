#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text helpers over UTF-8 strings. Where the system counts characters (limits, truncation, indexes) it
// counts UTF-16 units, as the platform's strings do.
namespace ns {

std::size_t utf16Length(std::string_view text);
// The first `units` UTF-16 units (a surrogate pair is never split: the prefix stops before it).
std::string utf16Prefix(std::string_view text, std::size_t units);
// `length` units from `from`; clamped to the text.
std::string utf16Substring(std::string_view text, std::size_t from, std::size_t length);
// The unit at an index, or 0 past the end.
char16_t utf16At(std::string_view text, std::size_t index);
std::u16string toUtf16(std::string_view text);
// Lone surrogates become U+FFFD.
std::string fromUtf16(std::u16string_view text);
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view text);
// The offset of the first byte that is not part of well-formed UTF-8, or npos when the text is UTF-8.
std::size_t invalidUtf8Offset(std::string_view text);

// Prefix and suffix tests; an empty prefix or suffix is never found, as on the platform.
bool hasPrefix(std::string_view text, std::string_view prefix);
bool hasSuffix(std::string_view text, std::string_view suffix);
// Byte offset of the first occurrence, or npos; an empty needle is never found.
std::size_t find(std::string_view text, std::string_view needle);

std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

// Trimming by character set.
std::string trimWhitespace(std::string_view text);            // space and tab
std::string trimWhitespaceAndNewlines(std::string_view text); // also \n \r \v \f, U+0085, U+2028
std::string trimNewlines(std::string_view text);
std::string trimSpaces(std::string_view text); // U+0020 only
// Space and tab at both ends, as a view into the text (header fields and cookie attributes).
std::string_view trimBlanks(std::string_view text);
// The code points `trimmed` answers true for at both ends. Only the ends are read, so it suits large
// texts, and what lies between is kept byte for byte; trimming stops at a malformed sequence.
std::string_view trimWhere(std::string_view text, bool (*trimmed)(char32_t));

// The platform's lenient numeric readings: leading white space, then as much of a number as there is;
// 0 when there is none. intValue clamps to 32 bits.
int32_t intValue(std::string_view text);
int64_t integerValue(std::string_view text);
double doubleValue(std::string_view text);
float floatValue(std::string_view text);
// "Y", "y", "T", "t" or a digit 1-9 after optional white space, signs and zeros.
bool boolValue(std::string_view text);

std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);

} // namespace ns
