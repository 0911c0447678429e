#pragma once

#include <cstddef>
#include <cstdint>

// What reading one UTF-8 code point found.
enum class JKUTF8Result : uint8_t {
    Ok,
    Illegal,   // ill-formed, or a code point this codec refuses; the code point is U+FFFD
    Exhausted, // the sequence runs past the end of the input
};

// Reads one code point at `at` (before `end`): the code point goes to `codePoint` and the position after
// the bytes consumed to `next`. Refused although well-formed: surrogates, U+0000 and the noncharacters
// (U+FDD0 to U+FDEF and every code point whose low 16 bits are FFFE or FFFF).
JKUTF8Result ConvertSingleCodePointInUTF8(const uint8_t* at, const uint8_t* end, const uint8_t** next,
                                          char32_t* codePoint);

// The length of the well-formed UTF-8 sequence at `at`, or 0 when it is ill-formed or runs past `end`.
inline std::size_t JKWellFormedUTF8Length(const uint8_t* at, const uint8_t* end)
{
    uint8_t lead = *at;
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2 || lead > 0xF4)
        return 0;
    std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (static_cast<std::size_t>(end - at) < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((at[i] & 0xC0) != 0x80)
            return 0;
    // The second byte's narrower ranges exclude overlong forms, surrogates and values above U+10FFFF.
    uint8_t second = at[1];
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

// Whether this codec accepts the code point in a text.
inline bool JKIsLegalCodePoint(char32_t codePoint)
{
    if (codePoint == 0 || codePoint > 0x10FFFF)
        return false;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        return false;
    if (codePoint >= 0xFDD0 && codePoint <= 0xFDEF)
        return false;
    return (codePoint & 0xFFFE) != 0xFFFE;
}

// Writes the code point as 1 to 4 UTF-8 bytes at `out` and answers how many.
inline std::size_t JKAppendUTF8(uint8_t* out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<uint8_t>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<uint8_t>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<uint8_t>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<uint8_t>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    return 4;
}
