#pragma once

#include <string_view>

// ASCII's character classes, hex digits and case, the same in every locale (the C library's follow the
// locale, and wire formats do not). Bytes outside ASCII belong to no class.
namespace ns {

constexpr bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}
constexpr bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}
constexpr bool isAsciiLower(char c)
{
    return c >= 'a' && c <= 'z';
}
constexpr bool isAsciiAlpha(char c)
{
    return isAsciiUpper(c) || isAsciiLower(c);
}
constexpr bool isAsciiAlphanumeric(char c)
{
    return isAsciiAlpha(c) || isAsciiDigit(c);
}
// Space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char toLowerAscii(char c)
{
    return isAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char toUpperAscii(char c)
{
    return isAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i]))
            return false;
    return true;
}

// A hex digit's value, either case; -1 for any other character.
constexpr int hexDigitValue(char c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
inline constexpr char lowerHexDigits[] = "0123456789abcdef";
inline constexpr char upperHexDigits[] = "0123456789ABCDEF";

} // namespace ns
