#include "foundation/Bundle.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Reads any bytes as a strings table: a table or an error, never both and never neither.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ns::Ref<ns::Error> error;
    auto table = ns::Bundle::parseStringsTable(bytes, &error);
    if (!table && !error)
        std::abort();
    return 0;
}
