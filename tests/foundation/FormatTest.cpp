#include "foundation/Format.h"
#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "testing/TestTools.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

struct Row
{
    const char* name;
    std::string actual;
    const char* expected;
};

TEST(Format, EveryConversionTheSystemUses)
{
    auto text = ns::String::make("hi");
    const Row rows[] = {
        {"object", ns::format("%@ %@", text, ns::Number::numberWithInt(7)), "hi 7"},
        {"nil object", ns::format("%@", ns::Id()), "(null)"},
        {"text as object", ns::format("tel:%@", std::string("555")), "tel:555"},
        {"d", ns::format("%d", -42), "-42"},
        {"i", ns::format("%i", 42), "42"},
        {"u", ns::format("%u", 42u), "42"},
        {"ld", ns::format("%ld", 1234567890123LL), "1234567890123"},
        {"lld", ns::format("%lld", -1234567890123LL), "-1234567890123"},
        {"llu", ns::format("%llu", 18446744073709551615ULL), "18446744073709551615"},
        {"qi", ns::format("%qi", 9000000000LL), "9000000000"},
        {"hi", ns::format("%hi", 70000), "4464"},
        {"x", ns::format("%x", 255), "ff"},
        {"02x", ns::format("%02x", 10), "0a"},
        {"04x", ns::format("\\u%04x", 0x1f), "\\u001f"},
        {"03d", ns::format("image%03d.png", 7), "image007.png"},
        {"C", ns::format("%C", char16_t(0x00e9)), "\xc3\xa9"},
        {"s", ns::format("%s", "plain"), "plain"},
        {"null s", ns::format("%s", static_cast<const char*>(nullptr)), "(null)"},
        {"f", ns::format("%f", 1.5), "1.500000"},
        {".2f", ns::format("%.2f", 2.345), "2.35"},
        {".5lf", ns::format("%.5lf", 3.0), "3.00000"},
        {".17g", ns::format("%.17g", 0.1), "0.10000000000000001"},
        {".0f", ns::format("%.0f", 2.5), "2"},
        {"percent", ns::format("100%%"), "100%"},
        {"positional", ns::format("%2$@ %1$@", std::string("a"), std::string("b")), "b a"},
        {"bool as d", ns::format("%d", true), "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.actual, row.expected);
    }
}

TEST(Format, FloatsKeepThePointUnderACommaLocale)
{
    VELMO_REQUIRE_TOOL(testkit::TestTools::hasLocale("de_DE.UTF-8"), testkit::TestTools::germanLocaleHint());
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8"));
    // The locale really writes a comma, so the point below comes from the formatting, not the locale.
    char native[16];
    std::snprintf(native, sizeof native, "%.1f", 1.5);
    EXPECT_STREQ(native, "1,5");
    EXPECT_EQ(ns::format("%f", 12.5), "12.500000");
    EXPECT_EQ(ns::format("%.2f", 0.25), "0.25");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(Format, MismatchedOrMissingArgumentsRaise)
{
    EXPECT_THROW(ns::format("%d", std::string("x")), ns::Exception);
    EXPECT_THROW(ns::format("%@ %@", std::string("x")), ns::Exception);
    EXPECT_THROW(ns::format("%s", 3), ns::Exception);
    EXPECT_THROW(ns::format("%k", 3), ns::Exception);
}

} // namespace
