#include "webservices/jk/JKDoubleFormat.h"

#include <array>
#include <bit>
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

constexpr uint64_t AsciiZeros = 0x3030303030303030ull;

// The eight decimal digits of a value below 10^8, one per byte, most significant first in memory (as
// numbers 0 to 9, not yet characters). Done in parallel lanes of one 64-bit word: two halves of four
// digits, four quarters of two, eight single digits; the multiply-and-shift divisions are exact for the
// ranges each lane can hold.
inline uint64_t eightDigits(uint32_t value)
{
    uint64_t high = value / 10000;
    uint64_t halves = high | (static_cast<uint64_t>(value - static_cast<uint32_t>(high) * 10000) << 32);
    uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007Full;
    uint64_t quarters = hundreds | ((halves - hundreds * 100) << 16);
    uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000Full;
    return tens | ((quarters - tens * 10) << 8);
}

// How many of the eight digits of `digits` (from eightDigits, not zero) are zeros at its end.
inline int trailingZeros(uint64_t digits)
{
    return __builtin_clzll(digits) / 8;
}

inline void store8(char* out, uint64_t word)
{
    std::memcpy(out, &word, 8);
}

char* slowly(double value, char* out)
{
    return std::to_chars(out, out + 32, value, std::chars_format::general, 17).ptr;
}

// The seventeen significant digits of |value| = mantissa * 2^binaryExponent, exactly rounded with ties to
// even, and the decimal exponent of the first of them; false when the value is out of the range this path
// handles. `exponent` comes in as an estimate that is right or one too small.
inline bool seventeenDigits(uint64_t mantissa, int binaryExponent, int& exponent, uint64_t& digits)
{
    int s = 16 - exponent; // value * 10^s lies in [10^16, 10^18) when the estimate holds
    if (s < 0 || s > 27)
        return false;
    unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * Pow5[s]; // below 2^116
    int shift = binaryExponent + s;
    uint64_t whole;        // floor(value * 10^s)
    uint64_t fraction = 0; // the rest, as the top bits of a 64-bit fraction
    bool sticky = false;   // bits of the rest below those
    if (shift >= 0) {
        if (shift > 10)
            return false;
        unsigned __int128 shifted = product << shift;
        if (shifted >= static_cast<unsigned __int128>(High) * 10)
            return false;
        whole = static_cast<uint64_t>(shifted);
    } else {
        int r = -shift;
        auto low = static_cast<uint64_t>(product);
        auto high = static_cast<uint64_t>(product >> 64);
        if (r < 64) {
            // The common case: the rest lies wholly in the low word.
            if (high >> r)
                return false;
            whole = (low >> r) | (high << (64 - r));
            fraction = low << (64 - r);
        } else {
            if (r >= 116)
                return false;
            int q = r - 64;
            whole = high >> q;
            fraction = q ? (high << (64 - q)) | (low >> q) : low;
            sticky = q && (low << (64 - q)) != 0;
        }
        if (whole >= High * 10)
            return false;
    }
    if (whole < Low)
        return false;
    // Which way a value rounds is as good as random, so it is found without branches. When the estimate was
    // one too small, the last digit is dropped and joins the fraction.
    constexpr uint64_t Half = 1ull << 63;
    bool dropDigit = whole >= High;
    uint64_t tenth = whole / 10;
    auto dropped = static_cast<unsigned>(whole - tenth * 10);
    // The sticky bits fold into the lowest bit of the fraction: that changes no comparison with a half.
    uint64_t rest = fraction | static_cast<uint64_t>(sticky);
    bool upKept = rest > Half - (whole & 1);
    bool upDropped = 2 * dropped + static_cast<unsigned>(rest != 0) + static_cast<unsigned>(tenth & 1) > 10;
    whole = dropDigit ? tenth : whole;
    exponent += dropDigit;
    whole += dropDigit ? upDropped : upKept;
    if (whole >= High) {
        // Rounding carried into an eighteenth digit: the value rounds to the next power of ten.
        ++exponent;
        whole /= 10;
    }
    digits = whole;
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
    if (!seventeenDigits(mantissa, binaryExponent, exponent, digits))
        return slowly(value, out);

    // The first digit, then two words of eight; the significant digits end before the trailing zeros.
    auto leading = static_cast<uint32_t>(digits / 100000000); // nine digits
    auto lower = static_cast<uint32_t>(digits - static_cast<uint64_t>(leading) * 100000000);
    uint32_t firstDigit = leading / 100000000;
    uint32_t upper = leading - firstDigit * 100000000;
    auto first = static_cast<char>('0' + firstDigit);
    uint64_t upperDigits = eightDigits(upper);
    uint64_t lowerDigits = eightDigits(lower);
    int significant = lower ? 17 - trailingZeros(lowerDigits) : upper ? 9 - trailingZeros(upperDigits) : 1;
    upperDigits += AsciiZeros;
    lowerDigits += AsciiZeros;

    if (negative)
        *out++ = '-';
    if (exponent < -4 || exponent >= 17) {
        out[0] = first;
        out[1] = '.';
        store8(out + 2, upperDigits);
        store8(out + 10, lowerDigits);
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
    if (exponent < 0) {
        // "0.", the zeros after the point, then the digits.
        int zeros = -exponent - 1;
        store8(out, 0x3030303030302E30ull); // "0.000000"
        out += 2 + zeros;
        out[0] = first;
        store8(out + 1, upperDigits);
        store8(out + 9, lowerDigits);
        return out + significant;
    }
    // The point goes after the first `whole` digits, and only when a significant digit follows it. It is
    // put into the word of eight digits it falls in, without going through memory; the digit that word
    // loses at its end is stored on its own.
    int whole = exponent + 1;
    int before = whole - 1; // digits after the first that come before the point, 0 to 16
    out[0] = first;
    auto withPoint = [](uint64_t word, int at) {
        uint64_t low = word & ((1ull << (8 * at)) - 1);
        return low | (static_cast<uint64_t>('.') << (8 * at)) | (((word >> (8 * at)) << 8) << (8 * at));
    };
    if (before < 8) {
        store8(out + 1, withPoint(upperDigits, before));
        out[9] = static_cast<char>(upperDigits >> 56);
        store8(out + 10, lowerDigits);
    } else {
        store8(out + 1, upperDigits);
        if (before < 16) {
            store8(out + 9, withPoint(lowerDigits, before - 8));
            out[17] = static_cast<char>(lowerDigits >> 56);
        } else {
            store8(out + 9, lowerDigits);
        }
    }
    return out + (significant > whole ? significant + 1 : whole);
}

namespace {

// Dividing by 5^k without a division instruction: by the divisor shifted up until its top bit is set and
// the reciprocal of that, floor((2^128 - 1) / d) - 2^64 (Moller and Granlund's division by invariant
// integers).
struct Reciprocal
{
    uint64_t divisor; // 5^k, shifted up
    uint64_t inverse;
    int shift;
};

constexpr Reciprocal reciprocalOf(uint64_t divisor)
{
    int shift = std::countl_zero(divisor);
    uint64_t normalized = divisor << shift;
    auto inverse = static_cast<uint64_t>(~static_cast<unsigned __int128>(0) / normalized -
                                         (static_cast<unsigned __int128>(1) << 64));
    return {normalized, inverse, shift};
}

constexpr auto Reciprocals = [] {
    std::array<Reciprocal, 28> table{};
    for (std::size_t k = 1; k < table.size(); ++k)
        table[k] = reciprocalOf(Pow5[k]);
    return table;
}();

// The quotient and remainder of high:low by the normalized divisor, for high below it.
inline uint64_t divide(uint64_t high, uint64_t low, const Reciprocal& by, uint64_t* remainder)
{
    unsigned __int128 estimate = static_cast<unsigned __int128>(by.inverse) * high +
                                 ((static_cast<unsigned __int128>(high + 1) << 64) | low);
    auto quotient = static_cast<uint64_t>(estimate >> 64);
    auto fraction = static_cast<uint64_t>(estimate);
    uint64_t rest = low - quotient * by.divisor;
    if (rest > fraction) {
        --quotient;
        rest += by.divisor;
    }
    if (rest >= by.divisor) {
        ++quotient;
        rest -= by.divisor;
    }
    *remainder = rest;
    return quotient;
}

// The double of mantissa * 2^exponent for a mantissa of exactly 53 bits; false when it is not a normal
// double.
inline bool assemble(uint64_t mantissa, int exponent, double* value)
{
    int biased = exponent + 52 + 1023;
    if (biased < 1 || biased > 2046)
        return false;
    uint64_t bits = (static_cast<uint64_t>(biased) << 52) | (mantissa & ((1ull << 52) - 1));
    std::memcpy(value, &bits, sizeof bits);
    return true;
}

// Rounds to 53 bits, with ties to even: `mantissa` holds the top 53 bits of a value, `rest` the `restBits`
// bits below them, and `sticky` tells whether anything non-zero lies further below. A carry into a 54th
// bit moves into `exponent`. Without branches: which way a value rounds is as good as random.
template <class Rest>
inline void roundToEven(uint64_t& mantissa, int& exponent, Rest rest, int restBits, bool sticky)
{
    Rest half = static_cast<Rest>(1) << (restBits - 1);
    bool up = (rest > half) | ((rest == half) & (sticky | static_cast<bool>(mantissa & 1)));
    mantissa += up;
    auto carry = static_cast<int>(mantissa >> 53);
    mantissa >>= carry;
    exponent += carry;
}

} // namespace

bool JKDoubleFromDecimal(uint64_t significand, int exponent, double* value)
{
    if (significand == 0 || exponent < -27 || exponent > 27)
        return false;
    if (exponent >= 0) {
        // Exactly significand * 5^e (below 2^127), then 2^e: one rounding of an exact integer.
        unsigned __int128 product = static_cast<unsigned __int128>(significand) * Pow5[exponent];
        auto high = static_cast<uint64_t>(product >> 64);
        auto low = static_cast<uint64_t>(product);
        int length = high ? 128 - __builtin_clzll(high) : 64 - __builtin_clzll(low);
        if (length <= 53)
            return assemble(low << (53 - length), exponent - (53 - length), value);
        int restBits = length - 53;
        auto mantissa = static_cast<uint64_t>(product >> restBits);
        int binaryExponent = exponent + restBits;
        unsigned __int128 rest = product & ((static_cast<unsigned __int128>(1) << restBits) - 1);
        roundToEven<unsigned __int128>(mantissa, binaryExponent, rest, restBits, false);
        return assemble(mantissa, binaryExponent, value);
    }
    // significand / (5^-e * 2^-e): the significand, shifted up, divided by 5^-e gives a quotient of 63 or 64
    // bits, and the remainder tells whether anything is left below it. Both are shifted up further by the
    // divisor's own normalizing shift, which changes the quotient in nothing.
    const Reciprocal& reciprocal = Reciprocals[static_cast<std::size_t>(-exponent)];
    int significandBits = 64 - __builtin_clzll(significand);
    int divisorBits = 64 - reciprocal.shift;
    int shift = 63 - significandBits + divisorBits; // the quotient lies in [2^62, 2^64)
    unsigned __int128 numerator = static_cast<unsigned __int128>(significand) << (shift + reciprocal.shift);
    uint64_t remainder;
    uint64_t quotient = divide(static_cast<uint64_t>(numerator >> 64), static_cast<uint64_t>(numerator),
                               reciprocal, &remainder);
    int restBits = (64 - __builtin_clzll(quotient)) - 53;
    uint64_t mantissa = quotient >> restBits;
    int binaryExponent = restBits - shift + exponent;
    roundToEven<uint64_t>(mantissa, binaryExponent, quotient & ((1ull << restBits) - 1), restBits,
                          remainder != 0);
    return assemble(mantissa, binaryExponent, value);
}
