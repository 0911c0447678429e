#include "testing/TestTools.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace testkit {

bool TestTools::required()
{
    const char* value = std::getenv("VELMO_REQUIRE_TEST_TOOLS");
    return value && *value && std::strcmp(value, "0") != 0;
}

bool TestTools::hasLocale(const char* name)
{
    // A separate locale object, so asking changes nothing of the process's own.
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (!locale)
        return false;
    freelocale(locale);
    return true;
}

LocaleScope::LocaleScope(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr))
{
    m_active = std::setlocale(LC_ALL, name) != nullptr;
}

LocaleScope::~LocaleScope()
{
    std::setlocale(LC_ALL, m_previous.c_str());
}

std::string TestTools::germanLocaleHint()
{
    return "the de_DE.UTF-8 locale is not installed: install the Debian package locales, enable "
           "\"de_DE.UTF-8 UTF-8\" in /etc/locale.gen and run locale-gen (./dev test does this)";
}

} // namespace testkit
