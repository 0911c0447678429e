#include "foundation/Text.h"

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

} // namespace
