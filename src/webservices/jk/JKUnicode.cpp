#include "webservices/jk/JKUnicode.h"

#include <bit>

namespace {

inline bool isContinuation(uint8_t byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

JKUTF8Result ConvertSingleCodePointInUTF8(const uint8_t* at, const uint8_t* end, const uint8_t** next,
                                          char32_t* codePoint)
{
    uint8_t lead = *at;
    if (lead < 0x80) {
        *next = at + 1;
        *codePoint = lead;
        return lead ? JKUTF8Result::Ok : JKUTF8Result::Illegal;
    }
    int ones = std::countl_one(lead);
    std::size_t trailing = ones >= 2 ? static_cast<std::size_t>(ones - 1) : 0;
    bool wellFormed = JKWellFormedUTF8Length(at, end) != 0;
    if (!wellFormed) {
        const uint8_t* p = at + 1;
        const uint8_t* declaredEnd = at + 1 + trailing;
        while (p < end && p < declaredEnd && isContinuation(*p))
            ++p;
        *next = p;
        *codePoint = 0xFFFD;
        return p == end ? JKUTF8Result::Exhausted : JKUTF8Result::Illegal;
    }

    char32_t value;
    if (trailing == 1)
        value = (static_cast<char32_t>(lead & 0x1F) << 6) | (at[1] & 0x3F);
    else if (trailing == 2)
        value = (static_cast<char32_t>(lead & 0x0F) << 12) | (static_cast<char32_t>(at[1] & 0x3F) << 6) |
                (at[2] & 0x3F);
    else
        value = (static_cast<char32_t>(lead & 0x07) << 18) | (static_cast<char32_t>(at[1] & 0x3F) << 12) |
                (static_cast<char32_t>(at[2] & 0x3F) << 6) | (at[3] & 0x3F);
    *next = at + 1 + trailing;
    if (!JKIsLegalCodePoint(value)) {
        *codePoint = 0xFFFD;
        return JKUTF8Result::Illegal;
    }
    *codePoint = value;
    return JKUTF8Result::Ok;
}
