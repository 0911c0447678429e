// Whatever the decoder accepts, the encoder writes (compact, pretty, escaped) and the decoder reads back
// as an equal value.

#include "foundation/Error.h"
#include "foundation/String.h"
#include "webservices/jk/JKSerializer.h"
#include "webservices/jk/JSONDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    JKParseOptionFlags options = data[0] & JKParseOptionValidFlags;
    JSONDecoder decoder(options);
    ns::Id decoded = decoder.objectWithUTF8String(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!decoded)
        return 0;
    const JKSerializeOptionFlags variants[] = {JKSerializeOptionNone, JKSerializeOptionPretty,
                                               JKSerializeOptionEscapeUnicode |
                                                   JKSerializeOptionEscapeForwardSlashes};
    for (JKSerializeOptionFlags writeOptions : variants) {
        ns::Ref<ns::Error> error;
        auto text = ns::cast<ns::String>(JKSerializer::serializeObject(
            decoded, writeOptions, JKEncodeOptionAsString, {}, nullptr, {}, &error));
        if (!text)
            std::abort(); // everything decoded can be written
        JSONDecoder strict;
        ns::Id again = strict.objectWithUTF8String(text->str().data(), text->str().size());
        if (!ns::isEqual(decoded, again))
            std::abort();
    }
    return 0;
}
