#include "foundation/Text.h"

#include "foundation/Ascii.h"
#include "foundation/CivilDate.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, CountsUtf16UnitsAndNeverSplitsAPair)
{
    const std::string face = "\xF0\x9F\x98\x80"; // U+1F600, two units
    EXPECT_EQ(ns::utf16Length("abc"), 3u);
    EXPECT_EQ(ns::utf16Length("\xC3\xA9"), 1u);
    EXPECT_EQ(ns::utf16Length(face), 2u);
    EXPECT_EQ(ns::utf16Length("a" + face + "b"), 4u);
    EXPECT_EQ(ns::utf16Prefix("a" + face + "b", 2), "a");
    EXPECT_EQ(ns::utf16Prefix("a" + face + "b", 3), "a" + face);
    EXPECT_EQ(ns::utf16Substring("h\xC3\xA9llo", 1, 3), "\xC3\xA9ll");
    EXPECT_EQ(ns::utf16At(face, 0), char16_t(0xD83D));
    EXPECT_EQ(ns::fromUtf16(ns::toUtf16("x" + face)), "x" + face);
    EXPECT_TRUE(ns::isValidUtf8("ok \xEF\xBF\xBD"));
    EXPECT_FALSE(ns::isValidUtf8("\xC3"));
    EXPECT_FALSE(ns::isValidUtf8("\xED\xA0\x80")); // an encoded surrogate
}

TEST(Text, PrefixSplitJoinReplaceAndTrim)
{
    EXPECT_TRUE(ns::hasPrefix("tel:123", "tel:"));
    EXPECT_FALSE(ns::hasPrefix("tel:123", "")); // an empty prefix is never found
    EXPECT_FALSE(ns::hasSuffix("/me", ""));
    EXPECT_EQ(ns::find("abc", ""), std::string::npos);
    EXPECT_EQ(ns::split("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(ns::join({"a", "b"}, "&"), "a&b");
    EXPECT_EQ(ns::replaceAll("a b c", " ", ""), "abc");
    EXPECT_EQ(ns::trimWhitespaceAndNewlines("\n\t x y \r\n"), "x y");
    EXPECT_EQ(ns::trimWhitespace("\t x \n"), "x \n");
    EXPECT_EQ(ns::trimSpaces("  x\t "), "x\t");
}

TEST(Text, LenientNumbers)
{
    struct Row
    {
        const char* text;
        int32_t intValue;
        double doubleValue;
        bool boolValue;
    };
    const Row rows[] = {{"42", 42, 42, true},   {"  -7abc", -7, -7, true},
                        {"x", 0, 0, false},     {"3.75", 3, 3.75, true},
                        {"", 0, 0, false},      {"99999999999", 2147483647, 99999999999.0, true},
                        {"YES", 0, 0, true},    {"0", 0, 0, false},
                        {"1e3", 1, 1000, true}, {"-0.5", 0, -0.5, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ns::intValue(row.text), row.intValue);
        EXPECT_DOUBLE_EQ(ns::doubleValue(row.text), row.doubleValue);
        EXPECT_EQ(ns::boolValue(row.text), row.boolValue);
    }
}

TEST(Text, AsciiClassesHexDigitsAndCaseIgnoreEveryOtherByte)
{
    for (int c = 0; c < 256; ++c) {
        char ch = static_cast<char>(c);
        SCOPED_TRACE(c);
        bool digit = c >= '0' && c <= '9';
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        EXPECT_EQ(ns::isAsciiDigit(ch), digit);
        EXPECT_EQ(ns::isAsciiAlphanumeric(ch), digit || letter);
        EXPECT_EQ(ns::isAsciiSpace(ch), c == ' ' || (c >= 9 && c <= 13));
        int hex = digit                    ? c - '0'
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                           : -1;
        EXPECT_EQ(ns::hexDigitValue(ch), hex);
        if (hex >= 0) {
            EXPECT_EQ(ns::hexDigitValue(ns::lowerHexDigits[hex]), hex);
            EXPECT_EQ(ns::hexDigitValue(ns::upperHexDigits[hex]), hex);
        }
    }
    EXPECT_TRUE(ns::equalsIgnoringAsciiCase("Set-Cookie", "set-COOKIE"));
    EXPECT_FALSE(ns::equalsIgnoringAsciiCase("Set-Cookie", "Set-Cookie2"));
    EXPECT_FALSE(ns::equalsIgnoringAsciiCase("\xC3\xA9", "\xC3\x89")); // é and É: not ASCII
    EXPECT_EQ(ns::toUpperAscii("tel;type=\xC3\xA9"), "TEL;TYPE=\xC3\xA9");
}

TEST(Text, TrimmingAtTheEndsKeepsTheMiddleByteForByte)
{
    auto space = [](char32_t c) { return c == ' ' || c == 0x3000; };
    struct Row
    {
        const char* text;
        const char* trimmed;
    };
    const Row rows[] = {{"  a b  ", "a b"},
                        {"\xE3\x80\x80x\xE3\x80\x80", "x"}, // ideographic spaces
                        {" \xFF x \xFF ", "\xFF x \xFF"},   // malformed bytes stop the trim and stay
                        {"   ", ""},
                        {"", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ns::trimWhere(row.text, space), row.trimmed);
    }
    EXPECT_EQ(ns::trimBlanks("\t a\tb \t"), "a\tb");
    EXPECT_EQ(ns::trimBlanks("\n a \n"), "\n a \n");
}

TEST(Text, CivilDatesRoundTripAcrossCenturiesAndLeapDays)
{
    struct Row
    {
        int64_t year;
        unsigned month, day;
        int64_t days;
    };
    const Row rows[] = {{1970, 1, 1, 0},      {2001, 1, 1, 11323},  {2000, 2, 29, 11016},
                        {1969, 12, 31, -1},   {1900, 3, 1, -25508}, {10000, 1, 1, 2932897},
                        {-1, 12, 31, -719529}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.days);
        EXPECT_EQ(ns::daysFromCivil(row.year, row.month, row.day), row.days);
        int64_t year = 0;
        unsigned month = 0, day = 0;
        ns::civilFromDays(row.days, year, month, day);
        EXPECT_EQ(year, row.year);
        EXPECT_EQ(month, row.month);
        EXPECT_EQ(day, row.day);
    }
}

} // namespace
