#include "webservices/jk/JKParseHash.h"
#include "webservices/jk/JKParseState.h"

#include "foundation/Ascii.h"
#include "webservices/jk/JKDoubleFormat.h"

#include <charconv>
#include <cstring>
#include <string>

using jk_scan::hashEightBytes;
using jk_scan::HashSeed;

namespace {

// The value of eight ASCII digits (first byte lowest, most significant): pairs, then quadruples, then the
// whole, each step in parallel lanes of the word.
inline uint32_t valueOfEightDigits(uint64_t word)
{
    word -= 0x3030303030303030ull;
    word = word * 10 + (word >> 8);
    constexpr uint64_t Mask = 0x000000FF000000FFull;
    constexpr uint64_t Hundreds = 100 + (1000000ull << 32);
    constexpr uint64_t Ones = 1 + (10000ull << 32);
    return static_cast<uint32_t>((((word & Mask) * Hundreds) + (((word >> 16) & Mask) * Ones)) >> 32);
}

// Consumes a run of digits, adding them to `value` (which wraps harmlessly when the run is too long to
// matter), and answers the byte after it.
inline const uint8_t* scanDigits(const uint8_t* p, const uint8_t* end, uint64_t& value)
{
    constexpr uint64_t PowersOfTen[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        // A byte lane is non-zero where the byte is not a digit.
        uint64_t others = ((word & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                          (((word + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull);
        if (!others) {
            value = value * 100000000 + valueOfEightDigits(word);
            p += 8;
            continue;
        }
        // The run ends within these eight bytes: its digits move to the top of the word, under zeros.
        int count = __builtin_ctzll(others) / 8;
        if (count) {
            int shift = 8 * (8 - count);
            word = (word << shift) | (0x3030303030303030ull >> (64 - shift));
            value = value * PowersOfTen[count] + valueOfEightDigits(word);
        }
        return p + count;
    }
    while (p < end && ns::isAsciiDigit(*p))
        value = value * 10 + static_cast<unsigned>(*p++ - '0');
    return p;
}

uint32_t hashNumber(JKTokenValue& value, bool integer)
{
    uint32_t hash = HashSeed + value.type;
    uint64_t bits;
    std::memcpy(&bits, &value.number, 8);
    if (integer)
        hash += static_cast<uint32_t>(bits);
    // The 8 bytes in the machine's own byte order (least significant first on every platform this runs on).
    return hashEightBytes(hash, bits);
}

// How a double's text the general conversion found out of range is out of range: below the smallest
// subnormal or above the largest double, as the sign of the decimal exponent of its first significant digit
// tells.
std::string doubleRangeMessage(const char* text, std::size_t length, bool negative)
{
    long exponent = 0;
    const char* q = text + (negative ? 1 : 0);
    const char* last = text + length;
    long digitsBeforePoint = 0;
    long leadingFractionZeros = 0;
    bool seenSignificant = false;
    bool inFraction = false;
    for (; q < last && *q != 'e' && *q != 'E'; ++q) {
        if (*q == '.') {
            inFraction = true;
            continue;
        }
        if (!seenSignificant && *q == '0') {
            if (inFraction)
                ++leadingFractionZeros;
            continue;
        }
        seenSignificant = true;
        if (!inFraction)
            ++digitsBeforePoint;
    }
    if (q < last) {
        ++q;
        bool negativeExponent = *q == '-';
        if (*q == '+' || *q == '-')
            ++q;
        for (; q < last; ++q)
            exponent = exponent < 100000000 ? exponent * 10 + (*q - '0') : exponent;
        if (negativeExponent)
            exponent = -exponent;
    }
    long magnitude = exponent + (digitsBeforePoint > 0 ? digitsBeforePoint : -leadingFractionZeros);
    return std::string("could not be represented as a 'double' due to ") +
           (magnitude <= 0 ? "underflow" : "overflow") + ".";
}

} // namespace

bool JKParseState::refuseNumber(std::from_chars_result result, std::string_view text,
                                std::string_view outOfRange)
{
    if (result.ec == std::errc::result_out_of_range)
        error("The value '" + std::string(text) + "' " + std::string(outOfRange));
    else if (result.ec == std::errc())
        error("The conversion function did not consume all of the number tokens characters.");
    error("Invalid number.");
    return false;
}

bool JKParseState::parseNumber()
{
    const uint8_t* start = m_bytes + m_atIndex;
    const uint8_t* end = m_bytes + m_length;
    const uint8_t* p = start;
    bool negative = false;
    bool isDouble = false;
    bool valid = true;
    // The digits before the exponent as one integer (which only means something for 19 digits or fewer),
    // how many digits there are, and how many of them follow the point.
    uint64_t significand = 0;
    std::size_t digits = 0;
    std::size_t fractionDigits = 0;

    if (*p == '-') {
        negative = true;
        ++p;
    }
    if (p < end && *p == '0') {
        ++p;
        digits = 1;
    } else if (p < end && *p >= '1' && *p <= '9') {
        const uint8_t* run = p;
        p = scanDigits(p, end, significand);
        digits = static_cast<std::size_t>(p - run);
    } else {
        valid = false;
    }
    if (valid && p < end && *p == '.') {
        isDouble = true;
        ++p;
        if (p < end && ns::isAsciiDigit(*p)) {
            const uint8_t* run = p;
            p = scanDigits(p, end, significand);
            fractionDigits = static_cast<std::size_t>(p - run);
            digits += fractionDigits;
        } else {
            valid = false;
        }
    }
    int exponent = 0;
    bool exponentFits = true;
    if (valid && p < end && (*p == 'e' || *p == 'E')) {
        isDouble = true;
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        if (p < end && ns::isAsciiDigit(*p)) {
            while (p < end && ns::isAsciiDigit(*p)) {
                if (exponent < 10000)
                    exponent = exponent * 10 + (*p - '0');
                else
                    exponentFits = false;
                ++p;
            }
            if (negativeExponent)
                exponent = -exponent;
        } else {
            valid = false;
        }
    }
    // A number is complete only when a byte follows it.
    if (p >= end)
        valid = false;
    m_atIndex = static_cast<std::size_t>(p - m_bytes);
    if (!valid) {
        error("Invalid number.");
        return false;
    }

    JKTokenValue& value = m_token.value;
    if (negative && p - start == 2 && start[1] == '0')
        isDouble = true; // "-0" keeps its sign only as a double
    // The common numbers are converted from what the scan gathered; the others (more than 19 significant
    // digits, large exponents, zeros, values out of range) as the general conversions read their text.
    if (isDouble && digits <= 19 && exponentFits) {
        double number;
        if (JKDoubleFromDecimal(significand, exponent - static_cast<int>(fractionDigits), &number)) {
            value.type = JKValueTypeDouble;
            value.number.doubleValue = negative ? -number : number;
            value.hash = hashNumber(value, false);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
    } else if (!isDouble && digits <= 19) {
        if (!negative) {
            value.type = JKValueTypeUnsignedLongLong;
            value.number.unsignedLongLongValue = significand;
            value.hash = hashNumber(value, true);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
        if (significand <= 9223372036854775808ull) {
            value.type = JKValueTypeLongLong;
            value.number.longLongValue = static_cast<int64_t>(0 - significand);
            value.hash = hashNumber(value, true);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
    }

    std::size_t length = static_cast<std::size_t>(p - start);
    const char* text = reinterpret_cast<const char*>(start);
    if (isDouble) {
        value.type = JKValueTypeDouble;
        double number = 0;
        auto result = std::from_chars(text, text + length, number);
        if (result.ec != std::errc() || result.ptr != text + length)
            return refuseNumber(result, std::string_view(text, length),
                                result.ec == std::errc::result_out_of_range
                                    ? doubleRangeMessage(text, length, negative)
                                    : std::string());
        value.number.doubleValue = number;
        value.hash = hashNumber(value, false);
    } else if (negative) {
        value.type = JKValueTypeLongLong;
        int64_t number = 0;
        auto result = std::from_chars(text, text + length, number);
        if (result.ec != std::errc() || result.ptr != text + length)
            return refuseNumber(
                result, std::string_view(text, length),
                "exceeded the minimum value that could be represented: -9223372036854775808.");
        value.number.longLongValue = number;
        value.hash = hashNumber(value, true);
    } else {
        value.type = JKValueTypeUnsignedLongLong;
        uint64_t number = 0;
        if (length <= 19) {
            for (std::size_t i = 0; i < length; ++i)
                number = number * 10 + static_cast<uint64_t>(text[i] - '0');
        } else {
            auto result = std::from_chars(text, text + length, number);
            if (result.ec != std::errc() || result.ptr != text + length)
                return refuseNumber(
                    result, std::string_view(text, length),
                    "exceeded the maximum value that could be represented: 18446744073709551615.");
        }
        value.number.unsignedLongLongValue = number;
        value.hash = hashNumber(value, true);
    }
    value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
    value.size = 8;
    return true;
}
