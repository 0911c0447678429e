#include "webservices/jk/JKDoubleFormat.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t Pow5[28] = {
    1ull,
    5ull,
    25ull,
    125ull,
    625ull,
    3125ull,
    15625ull,
    78125ull,
    390625ull,
    1953125ull,
    9765625ull,
    48828125ull,
    244140625ull,
    1220703125ull,
    6103515625ull,
    30517578125ull,
    152587890625ull,
    762939453125ull,
    3814697265625ull,
    19073486328125ull,
    95367431640625ull,
    476837158203125ull,
    2384185791015625ull,
    11920928955078125ull,
    59604644775390625ull,
    298023223876953125ull,
    1490116119384765625ull,
    7450580596923828125ull,
};

constexpr uint64_t Low = 10000000000000000ull;   // 10^16
constexpr uint64_t High = 100000000000000000ull; // 10^17

constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Eight digits of a value below 10^8, two at a time in 32-bit arithmetic.
void writeEight(uint32_t value, char* out)
{
    for (int i = 6; i >= 0; i -= 2) {
        uint32_t pair = value % 100;
        value /= 100;
        std::memcpy(out + i, DigitPairs + pair * 2, 2);
    }
}

// The seventeen digits of a value in [10^16, 10^17).
void writeDigits(uint64_t value, char* out)
{
    auto low = static_cast<uint32_t>(value % 100000000);
    uint64_t rest = value / 100000000; // nine digits
    auto middle = static_cast<uint32_t>(rest % 100000000);
    out[0] = static_cast<char>('0' + rest / 100000000);
    writeEight(middle, out + 1);
    writeEight(low, out + 9);
}

char* slowly(double value, char* out)
{
    return std::to_chars(out, out + 32, value, std::chars_format::general, 17).ptr;
}

// The seventeen digits of round(|value| * 10^(16 - exponent)), exactly, with ties to even; false when
// the product is out of the range this path handles.
inline bool scaled(uint64_t mantissa, int binaryExponent, int exponent, uint64_t* digits, bool* belowLow)
{
    int s = 16 - exponent;
    if (s < 0 || s > 27)
        return false;
    unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * Pow5[s]; // below 2^116
    int shift = binaryExponent + s;
    unsigned __int128 result;
    if (shift >= 0) {
        if (shift > 10)
            return false;
        result = product << shift;
        *belowLow = result < Low;
    } else {
        int r = -shift;
        if (r >= 120)
            return false;
        result = product >> r;
        *belowLow = result < Low; // the exact value, before rounding, decides the exponent
        unsigned __int128 remainder = product - (result << r);
        unsigned __int128 half = static_cast<unsigned __int128>(1) << (r - 1);
        if (remainder > half || (remainder == half && (result & 1)))
            ++result;
    }
    if (result > static_cast<unsigned __int128>(UINT64_MAX))
        return false;
    *digits = static_cast<uint64_t>(result);
    return true;
}

} // namespace

char* JKFormatDouble17g(double value, char* out)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bool negative = bits >> 63;
    int biased = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((1ull << 52) - 1);
    if (biased == 0 && fraction == 0) {
        if (negative)
            *out++ = '-';
        *out++ = '0';
        return out;
    }
    if (biased == 0 || biased == 0x7FF)
        return slowly(value, out); // subnormals, and the infinities and NaN the caller refuses
    uint64_t mantissa = fraction | (1ull << 52);
    int binaryExponent = biased - 1075; // value = mantissa * 2^binaryExponent

    // The value lies in [2^(b+52), 2^(b+53)), so its decimal exponent is this estimate or one more.
    int exponent = ((binaryExponent + 52) * 78913) >> 18;
    uint64_t digits = 0;
    bool belowLow = false;
    if (!scaled(mantissa, binaryExponent, exponent + 1, &digits, &belowLow))
        return slowly(value, out);
    if (!belowLow) {
        ++exponent;
    } else if (!scaled(mantissa, binaryExponent, exponent, &digits, &belowLow) || belowLow) {
        return slowly(value, out);
    }
    if (digits >= High) {
        // Rounding carried into an eighteenth digit: the value rounds to the next power of ten.
        ++exponent;
        digits /= 10;
    }

    // Padded so that every copy below can move a fixed 16 or 17 bytes; the caller's 32 bytes allow it.
    char text[48] = {};
    writeDigits(digits, text);
    int significant = 17;
    while (significant > 1 && text[significant - 1] == '0')
        --significant;

    if (negative)
        *out++ = '-';
    if (exponent < -4 || exponent >= 17) {
        out[0] = text[0];
        out[1] = '.';
        std::memcpy(out + 2, text + 1, 16);
        out += significant > 1 ? significant + 1 : 1;
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100)
            *out++ = static_cast<char>('0' + magnitude / 100);
        *out++ = static_cast<char>('0' + magnitude / 10 % 10);
        *out++ = static_cast<char>('0' + magnitude % 10);
        return out;
    }
    if (exponent >= 0) {
        int whole = exponent + 1;
        std::memcpy(out, text, 17);
        if (significant <= whole)
            return out + whole;
        out[whole] = '.';
        std::memcpy(out + whole + 1, text + whole, 16);
        return out + significant + 1;
    }
    int zeros = -exponent - 1;
    std::memcpy(out, "0.000", 5);
    std::memcpy(out + 2 + zeros, text, 17);
    return out + 2 + zeros + significant;
}
