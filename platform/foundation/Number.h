#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ns {

// A double as a number's integer readings take it: NaN is 0, and beyond the range is the nearest end.
int64_t saturatingInt64(double value);
uint64_t saturatingUInt64(double value);

// A boxed number that remembers what it was made from: a bool, a signed or unsigned integer, or a double.
class Number : public Object
{
public:
    enum class Kind { Bool, Signed, Unsigned, Double };

    static Ref<Number> numberWithBool(bool value);
    static Ref<Number> numberWithChar(signed char value);
    static Ref<Number> numberWithShort(short value);
    static Ref<Number> numberWithInt(int32_t value);
    static Ref<Number> numberWithLongLong(int64_t value);
    static Ref<Number> numberWithInteger(int64_t value) { return numberWithLongLong(value); }
    static Ref<Number> numberWithUnsignedInt(uint32_t value);
    static Ref<Number> numberWithUnsignedLongLong(uint64_t value);
    static Ref<Number> numberWithFloat(float value);
    static Ref<Number> numberWithDouble(double value);

    Number(Kind kind, char objCType, int64_t i, uint64_t u, double d)
        : m_kind(kind), m_objCType(objCType), m_signed(i), m_unsigned(u), m_double(d)
    {
    }

    Kind kind() const { return m_kind; }
    bool isBool() const { return m_kind == Kind::Bool; }
    // The platform's type encoding: 'c' (bool and char), 's', 'i', 'q', 'I', 'Q', 'f', 'd'.
    char objCType() const { return m_objCType; }

    bool boolValue() const;
    int32_t intValue() const { return static_cast<int32_t>(longLongValue()); }
    int64_t integerValue() const { return longLongValue(); }
    int64_t longLongValue() const;
    uint64_t unsignedLongLongValue() const;
    double doubleValue() const;
    float floatValue() const { return static_cast<float>(doubleValue()); }
    virtual std::string stringValue() const;

    // Numeric order: -1, 0 or 1.
    int compare(const Number& other) const;

    std::string className() const override { return "NSNumber"; }
    std::string description() const override { return stringValue(); }
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

protected:
    Kind m_kind;
    char m_objCType;
    int64_t m_signed;
    uint64_t m_unsigned;
    double m_double;
};

// An exact decimal number read from text, such as a JSON number kept without rounding.
class DecimalNumber : public Number
{
public:
    // Nothing when the text is not a decimal number ("-12.5e3" is one; "1e" is not) or when its exponent is
    // beyond the ±100000000 the type holds. A value beyond a double's range reads as ±infinity as a double.
    static Ref<DecimalNumber> decimalNumberWithString(std::string_view text);

    DecimalNumber(bool negative, std::string_view digits, int32_t exponent);
    // The same, for a reader that has already found the double nearest to the number.
    DecimalNumber(bool negative, std::string_view digits, int32_t exponent, double nearest);

    bool isNegative() const { return m_negative; }
    // Significant digits, no leading zeros.
    std::string_view digits() const
    {
        return std::string_view(m_heapDigits ? m_heapDigits.get() : m_inlineDigits, m_digitCount);
    }
    int32_t exponent() const { return m_exponent; } // value = digits * 10^exponent

    std::string stringValue() const override;
    // The same text, added to the end of `out`.
    void appendStringValue(std::string& out) const;
    std::string className() const override { return "NSDecimalNumber"; }
    bool isEqual(const Object& other) const override;

private:
    // The digits of most numbers fit in the object itself; longer ones have a block of their own.
    static constexpr std::size_t InlineDigits = 24;
    bool m_negative;
    int32_t m_exponent;
    uint32_t m_digitCount;
    char m_inlineDigits[InlineDigits];
    std::unique_ptr<char[]> m_heapDigits;
};

} // namespace ns
