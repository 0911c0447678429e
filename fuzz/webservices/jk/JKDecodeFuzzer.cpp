// Any bytes, with any parse options: the decoder answers a value or an error, and never crashes.

#include "foundation/Error.h"
#include "webservices/jk/JSONDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    JKParseOptionFlags options = data[0] & JKParseOptionValidFlags;
    const char* text = reinterpret_cast<const char*>(data + 1);
    std::size_t length = size - 1;
    JSONDecoder decoder(options);
    ns::Ref<ns::Error> error;
    ns::Id immutable = decoder.objectWithUTF8String(text, length, &error);
    if (!immutable && !error)
        std::abort(); // a failure always says why
    ns::Ref<ns::Error> again;
    ns::Id mutableResult = decoder.mutableObjectWithUTF8String(text, length, &again);
    if (!immutable != !mutableResult)
        std::abort(); // mutability never changes what is accepted
    return 0;
}
