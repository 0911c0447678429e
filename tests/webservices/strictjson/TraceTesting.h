#pragma once

#include "webservices/strictjson/StrictJsonBase.h"

#include "foundation/Error.h"
#include "foundation/Format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The trace as "code message" lines, innermost first, after checking that it is one well-formed chain:
// every error in the codec's domain, each holding the one before it as its underlying error.
inline std::vector<std::string> traceLines(const StrictJsonBase& codec)
{
    std::vector<std::string> lines;
    const auto& trace = codec.errorTrace();
    if (!trace)
        return lines;
    ns::Ref<ns::Error> previous;
    for (std::size_t i = 0; i < trace->count(); ++i) {
        auto error = trace->objectAs<ns::Error>(i);
        EXPECT_TRUE(error);
        if (!error)
            return lines;
        EXPECT_EQ(error->domain(), "org.quenmarol.JSON.ErrorDomain");
        EXPECT_EQ(error->underlyingError(), previous) << "error " << i << " does not hold the one before it";
        lines.push_back(ns::format("%ld %s", error->code(), error->localizedDescription()));
        previous = error;
    }
    return lines;
}
