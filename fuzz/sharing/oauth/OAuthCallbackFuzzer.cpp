// An address a sign-in page sends the web view to: deciding whether it is the callback and reading its
// query must not crash, and every name read must be in the query.
#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/ui/SHKOAuthView.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static const auto callback = ns::URL::withString("https://velmo.example/oauth/done");
    auto address = ns::URL::withString(text);
    if (!address)
        return 0;
    SHKOAuthView::isCallback(*address, *callback);
    SHKOAuthView::isCallback(*callback, *address);
    auto parameters = SHKOAuthView::queryParameters(*address);
    if (parameters && !address->query())
        __builtin_trap();
    if (parameters && parameters->count() > address->query()->size() + 1)
        __builtin_trap();
    return 0;
}
