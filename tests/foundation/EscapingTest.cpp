#include "foundation/Escaping.h"
#include "foundation/Version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace ns;

TEST(Escaping, AddsPercentEscapes)
{
    const char* reserved = "!*'();:@&=+$,/?%#[]";
    struct Row
    {
        const char* text;
        const char* leave;
        const char* escape;
        const char* expected;
    } rows[] = {
        {"a b", "", "", "a%20b"},
        {"http://x/?a=1&b=2", "", "", "http://x/?a=1&b=2"},
        {"http://x/?a=1&b=2", "", reserved, "http%3A%2F%2Fx%2F%3Fa%3D1%26b%3D2"},
        {"100% #1 [x]", "", "", "100%25%20%231%20%5Bx%5D"},
        {"100% #1", "%#", "", "100%%20#1"},
        {"-_.~!*'()", "", reserved, "-_.~%21%2A%27%28%29"},
        {"Thé 😀", "", "", "Th%C3%A9%20%F0%9F%98%80"},
        {"\"<>\\^`{|}", "", "", "%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(addingPercentEscapes(row.text, row.leave, row.escape), row.expected);
    }
}

TEST(Escaping, ReplacesPercentEscapesOrGivesNothing)
{
    using Text = std::optional<std::string>;
    struct Row
    {
        const char* text;
        Text expected;
    } rows[] = {
        {"a%20b", "a b"},
        {"Th%C3%A9", "Thé"},
        {"%f0%9f%98%80", "😀"},
        {"plain+text", "plain+text"},
        {"", ""},
        {"%", {}},
        {"%2", {}},
        {"%zz", {}},
        {"%C3", {}},    // a lone lead byte
        {"%FF%FE", {}}, // not UTF-8
        {"%C0%AF", {}}, // an overlong form
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(replacingPercentEscapes(row.text), row.expected);
    }
}

TEST(Version, ComparesNumbersInsideTexts)
{
    struct Row
    {
        const char* a;
        const char* b;
        int expected;
    } rows[] = {
        {"10.0", "4.2", 1},
        {"4.1.2", "4.2", -1},
        {"4.2", "4.2", 0},
        {"4.2", "4.2.1", -1},
        {"5.0", "5", 1},
        {"04.2", "4.2", 0},
        {"478.61", "478.61", 0},
        {"550.32", "478.61", 1},
        {"a2", "a10", -1},
        {"", "1", -1},
        {"", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        EXPECT_EQ(compareNumeric(row.a, row.b), row.expected);
        EXPECT_EQ(compareNumeric(row.b, row.a), -row.expected);
    }
}
