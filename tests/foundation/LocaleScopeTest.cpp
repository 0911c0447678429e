// The tests' locale scope: a test that relies on a locale learns whether it really runs under it.
#include "testing/TestTools.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

std::string currentLocale()
{
    const char* name = std::setlocale(LC_ALL, nullptr);
    return name ? name : "";
}

TEST(LocaleScope, SaysWhetherTheLocaleWasSetAndPutsThePreviousOneBack)
{
    std::string before = currentLocale();
    {
        // A locale no system has: the scope is not active and nothing changed.
        testkit::LocaleScope missing("xx_XX.nowhere");
        EXPECT_FALSE(missing.active());
        EXPECT_EQ(currentLocale(), before);
    }
    {
        testkit::LocaleScope plain("C");
        EXPECT_TRUE(plain.active());
        EXPECT_EQ(currentLocale(), "C");
    }
    EXPECT_EQ(currentLocale(), before);
    if (!testkit::TestTools::hasLocale("de_DE.UTF-8"))
        return;
    {
        testkit::LocaleScope comma("de_DE.UTF-8");
        EXPECT_TRUE(comma.active());
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        EXPECT_STREQ(text, "1,5");
    }
    EXPECT_EQ(currentLocale(), before);
}

} // namespace
