// Any bytes: the parser either answers a value or a well-formed error trace, and whatever it reads the
// writer writes back as text that reads as the same value.
#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#include "foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void checkTrace(const StrictJsonBase& codec)
{
    const auto& trace = codec.errorTrace();
    check(trace && trace->count() > 0);
    ns::Ref<ns::Error> previous;
    for (std::size_t i = 0; i < trace->count(); ++i) {
        auto error = trace->objectAs<ns::Error>(i);
        check(error && error->domain() == StrictJsonErrorDomain);
        check(error->code() >= 1 && error->code() <= 12);
        check(error->underlyingError() == previous);
        previous = error;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The first byte picks the settings, so one corpus covers them all.
    unsigned flags = size ? data[0] : 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size)
        text.remove_prefix(1);

    StrictJsonParser parser;
    if (flags & 1)
        parser.setMaxDepth(0);
    ns::Id value = parser.fragmentWithString(text);
    if (!value) {
        checkTrace(parser);
        return 0;
    }
    check(!parser.errorTrace());

    StrictJsonWriter writer;
    writer.setMaxDepth(0);
    writer.setHumanReadable(flags & 2);
    writer.setSortKeys(flags & 4);
    auto json = writer.stringWithFragment(value);
    check(json.has_value());

    parser.setMaxDepth(0);
    ns::Id again = parser.fragmentWithString(*json);
    check(again && again->isEqual(*value));
    return 0;
}
