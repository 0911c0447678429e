// Any bytes as the feed reader's sign-in reply: every pair read from it is one line split at its only "=",
// so no key or value holds a line break or an "=", and the reply is read without failing.
#include "webservices/sharers/googlereader/SHKGoogleReader.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto session = SHKGoogleReader::sessionFromReply(text);
    check(session != nullptr);
    for (const auto& [key, value] : session->entries()) {
        auto name = ns::cast<ns::String>(key);
        auto content = ns::cast<ns::String>(value);
        check(name && content);
        check(name->str().find_first_of("\n=") == std::string::npos);
        check(content->str().find_first_of("\n=") == std::string::npos);
    }
    return 0;
}
