#include "foundation/Number.h"

#include "foundation/Ascii.h"
#include "foundation/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace ns {

Ref<Number> Number::numberWithBool(bool value)
{
    static const Ref<Number> yes = make<Number>(Kind::Bool, 'c', 1, 1, 1.0);
    static const Ref<Number> no = make<Number>(Kind::Bool, 'c', 0, 0, 0.0);
    return value ? yes : no;
}

static Ref<Number> signedNumber(char type, int64_t value)
{
    return make<Number>(Number::Kind::Signed, type, value, static_cast<uint64_t>(value),
                        static_cast<double>(value));
}

Ref<Number> Number::numberWithChar(signed char value)
{
    return signedNumber('c', value);
}
Ref<Number> Number::numberWithShort(short value)
{
    return signedNumber('s', value);
}
Ref<Number> Number::numberWithInt(int32_t value)
{
    return signedNumber('i', value);
}
Ref<Number> Number::numberWithLongLong(int64_t value)
{
    return signedNumber('q', value);
}

Ref<Number> Number::numberWithUnsignedInt(uint32_t value)
{
    return make<Number>(Kind::Unsigned, 'I', static_cast<int64_t>(value), value, static_cast<double>(value));
}

Ref<Number> Number::numberWithUnsignedLongLong(uint64_t value)
{
    return make<Number>(Kind::Unsigned, 'Q', static_cast<int64_t>(value), value, static_cast<double>(value));
}

int64_t saturatingInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

uint64_t saturatingUInt64(double value)
{
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= 18446744073709551615.0)
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(value);
}

Ref<Number> Number::numberWithFloat(float value)
{
    return make<Number>(Kind::Double, 'f', saturatingInt64(value), saturatingUInt64(value), value);
}

Ref<Number> Number::numberWithDouble(double value)
{
    return make<Number>(Kind::Double, 'd', saturatingInt64(value), saturatingUInt64(value), value);
}

bool Number::boolValue() const
{
    switch (m_kind) {
    case Kind::Double:
        return m_double != 0.0;
    case Kind::Unsigned:
        return m_unsigned != 0;
    default:
        return m_signed != 0;
    }
}

int64_t Number::longLongValue() const
{
    return m_kind == Kind::Double ? saturatingInt64(m_double) : m_signed;
}

uint64_t Number::unsignedLongLongValue() const
{
    return m_kind == Kind::Double ? saturatingUInt64(m_double) : m_unsigned;
}

double Number::doubleValue() const
{
    switch (m_kind) {
    case Kind::Double:
        return m_double;
    case Kind::Unsigned:
        return static_cast<double>(m_unsigned);
    default:
        return static_cast<double>(m_signed);
    }
}

std::string Number::stringValue() const
{
    switch (m_kind) {
    case Kind::Double: {
        if (std::isnan(m_double))
            return "nan";
        if (std::isinf(m_double))
            return m_double < 0 ? "-inf" : "inf";
        // The shortest text that reads back as the same double.
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, m_double);
        return std::string(buffer, result.ptr);
    }
    case Kind::Unsigned:
        return std::to_string(m_unsigned);
    default:
        return std::to_string(m_signed);
    }
}

int Number::compare(const Number& other) const
{
    bool integral = m_kind != Kind::Double && other.m_kind != Kind::Double;
    if (integral) {
        bool negativeA = m_kind != Kind::Unsigned && m_signed < 0;
        bool negativeB = other.m_kind != Kind::Unsigned && other.m_signed < 0;
        if (negativeA != negativeB)
            return negativeA ? -1 : 1;
        if (negativeA)
            return m_signed < other.m_signed ? -1 : (m_signed > other.m_signed ? 1 : 0);
        return m_unsigned < other.m_unsigned ? -1 : (m_unsigned > other.m_unsigned ? 1 : 0);
    }
    double a = doubleValue();
    double b = other.doubleValue();
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool Number::isEqual(const Object& other) const
{
    auto* number = dynamic_cast<const Number*>(&other);
    return number && compare(*number) == 0;
}

std::size_t Number::hash() const
{
    double value = doubleValue();
    if (m_kind != Kind::Double || (std::trunc(value) == value && std::fabs(value) < 9.2e18))
        return std::hash<int64_t>()(m_kind == Kind::Unsigned ? static_cast<int64_t>(m_unsigned)
                                                             : longLongValue());
    return std::hash<double>()(value);
}

// MARK: DecimalNumber

// The exponents a decimal number holds: value = digits * 10^exponent.
constexpr int64_t MaxDecimalExponent = 100000000;

static double decimalToDouble(bool negative, std::string_view digits, int32_t exponent)
{
    if (digits.empty())
        return negative ? -0.0 : 0.0;
    // Up to 15 digits and a power of ten that a double holds exactly: one correctly rounded operation.
    static constexpr double ExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits.size() <= 15 && exponent >= -22 && exponent <= 22) {
        int64_t whole = 0;
        for (char digit : digits)
            whole = whole * 10 + (digit - '0');
        double value = static_cast<double>(whole);
        value = exponent < 0 ? value / ExactPowers[-exponent] : value * ExactPowers[exponent];
        return negative ? -value : value;
    }
    // The text "-DIGITSeEXPONENT", on the stack unless the digits are many.
    char onStack[96];
    std::string onHeap;
    std::size_t room = digits.size() + 16;
    char* text = onStack;
    if (room > sizeof onStack) {
        onHeap.resize(room);
        text = onHeap.data();
    }
    char* end = text;
    if (negative)
        *end++ = '-';
    std::memcpy(end, digits.data(), digits.size());
    end += digits.size();
    *end++ = 'e';
    end = std::to_chars(end, text + room, exponent).ptr;
    double value = 0;
    auto result = std::from_chars(text, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond a double's range: infinity above it, zero below it; never the untouched 0 for both.
        bool large = static_cast<int64_t>(digits.size()) + exponent > 0;
        double magnitude = large ? std::numeric_limits<double>::infinity() : 0.0;
        value = negative ? -magnitude : magnitude;
    }
    return value;
}

DecimalNumber::DecimalNumber(bool negative, std::string_view digits, int32_t exponent)
    : DecimalNumber(negative, digits, exponent, decimalToDouble(negative, digits, exponent))
{
}

DecimalNumber::DecimalNumber(bool negative, std::string_view digits, int32_t exponent, double nearest)
    : Number(Kind::Double, 'd', 0, 0, nearest), m_negative(negative), m_exponent(exponent),
      m_digitCount(static_cast<uint32_t>(digits.size()))
{
    char* stored = m_inlineDigits;
    if (digits.size() > InlineDigits) {
        m_heapDigits = std::make_unique_for_overwrite<char[]>(digits.size());
        stored = m_heapDigits.get();
    }
    if (!digits.empty())
        std::memcpy(stored, digits.data(), digits.size());
    bool integral = m_exponent >= 0 && digits.size() + static_cast<std::size_t>(m_exponent) <= 18;
    if (integral) {
        int64_t value = 0;
        for (char digit : digits)
            value = value * 10 + (digit - '0');
        for (int32_t i = 0; i < m_exponent; ++i)
            value *= 10;
        m_signed = m_negative ? -value : value;
        m_unsigned = static_cast<uint64_t>(m_signed);
    } else {
        m_signed = saturatingInt64(m_double);
        m_unsigned = saturatingUInt64(m_double);
    }
}

Ref<DecimalNumber> DecimalNumber::decimalNumberWithString(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    // The significant digits, gathered on the stack unless the text is long.
    char onStack[64];
    std::string onHeap;
    char* digits = onStack;
    if (text.size() > sizeof onStack) {
        onHeap.resize(text.size());
        digits = onHeap.data();
    }
    std::size_t count = 0;
    int64_t exponent = 0;
    bool sawDigit = false;
    while (i < text.size() && isAsciiDigit(text[i])) {
        sawDigit = true;
        if (!(count == 0 && text[i] == '0'))
            digits[count++] = text[i];
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isAsciiDigit(text[i])) {
            sawDigit = true;
            if (!(count == 0 && text[i] == '0'))
                digits[count++] = text[i];
            --exponent;
            ++i;
        }
    }
    if (!sawDigit)
        return nullptr;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            negativeExponent = text[i++] == '-';
        if (i >= text.size() || !isAsciiDigit(text[i]))
            return nullptr;
        int64_t value = 0;
        while (i < text.size() && isAsciiDigit(text[i])) {
            // Past the limit the value is only known to be too large: stop growing before it overflows.
            if (value <= MaxDecimalExponent)
                value = value * 10 + (text[i] - '0');
            ++i;
        }
        exponent += negativeExponent ? -value : value;
    }
    if (i != text.size())
        return nullptr;
    if (count == 0)
        return make<DecimalNumber>(false, std::string_view(), 0);
    while (count > 1 && digits[count - 1] == '0') {
        --count;
        ++exponent;
    }
    // An exponent the type cannot hold is no number of this type, rather than a different one.
    if (exponent < -MaxDecimalExponent || exponent > MaxDecimalExponent)
        return nullptr;
    return make<DecimalNumber>(negative, std::string_view(digits, count), static_cast<int32_t>(exponent));
}

std::string DecimalNumber::stringValue() const
{
    std::string out;
    appendStringValue(out);
    return out;
}

void DecimalNumber::appendStringValue(std::string& out) const
{
    std::string_view digits = this->digits();
    if (digits.empty()) {
        out += '0';
        return;
    }
    if (m_negative)
        out += '-';
    int64_t length = static_cast<int64_t>(digits.size());
    int64_t point = length + m_exponent; // digits before the decimal point
    if (m_exponent >= 0 && point <= 40) {
        out += digits;
        out.append(static_cast<std::size_t>(m_exponent), '0');
    } else if (point > 0 && point < length) {
        out += digits.substr(0, static_cast<std::size_t>(point));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(point));
    } else if (point <= 0 && point > -40) {
        out += "0.";
        out.append(static_cast<std::size_t>(-point), '0');
        out += digits;
    } else {
        out += digits[0];
        if (length > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'e';
        out += std::to_string(point - 1);
    }
}

bool DecimalNumber::isEqual(const Object& other) const
{
    if (auto* decimal = dynamic_cast<const DecimalNumber*>(&other))
        return decimal->m_negative == m_negative && decimal->digits() == digits() &&
               decimal->m_exponent == m_exponent;
    return Number::isEqual(other);
}

} // namespace ns
