#pragma once

#include "foundation/Format.h"

#include <string>
#include <string_view>

// Every text the sharing framework shows is written in English in the code and looked up here, in the
// strings table of "ShareCore.bundle" in the application's resources, keyed by the English text itself.

// The translated text for the key, or the key itself when the table (or the bundle) has none.
std::string SHKLookupLocalizedText(std::string_view key);

// The next lookup opens the bundle again: for tests that change the application's resources.
void SHKForgetLocalizedTextBundle();

// The looked-up format filled with the arguments ("%@" takes an object's description or a text, "%i" and
// "%d" integers). The key is always the framework's own English wording, never a text from outside.
template <class... Args> std::string SHKFormatLocalizedText(std::string_view key, const Args&... args)
{
    return ns::format(SHKLookupLocalizedText(key), args...);
}
