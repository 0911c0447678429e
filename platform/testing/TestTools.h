#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testkit {

// Tools some tests need from the machine (a locale, an outside program). A test without its tool skips,
// except where the run asks for every tool with VELMO_REQUIRE_TEST_TOOLS=1 (the project's test command and
// CI set it): there a missing tool fails the test, so a run that checked nothing cannot pass.
class TestTools
{
public:
    static bool required();
    // Whether the named locale can be set.
    static bool hasLocale(const char* name);
    // What to do about a missing de_DE.UTF-8 locale.
    static std::string germanLocaleHint();
};

// Sets the process's locale for a scope and puts the previous one back; `active` says whether the locale
// could be set at all.
class LocaleScope
{
public:
    explicit LocaleScope(const char* name);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace testkit

// Skips (or, where tools are required, fails) the current test with `message` unless `present`.
#define VELMO_REQUIRE_TOOL(present, message)                                                                 \
    do {                                                                                                     \
        if (!(present)) {                                                                                    \
            if (::testkit::TestTools::required())                                                            \
                GTEST_FAIL() << "missing test tool (required here by VELMO_REQUIRE_TEST_TOOLS=1): "          \
                             << message;                                                                     \
            else                                                                                             \
                GTEST_SKIP() << message;                                                                     \
        }                                                                                                    \
    } while (false)
