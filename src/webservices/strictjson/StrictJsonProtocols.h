#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

// What a strict JSON parser answers. Nothing in for the text stands for nil.
class StrictJsonParserProtocol
{
public:
    virtual ~StrictJsonParserProtocol() = default;
    // A dictionary or an array, or nothing with the error trace set.
    virtual ns::Id objectWithString(std::optional<std::string_view> text) = 0;
};

// What a strict JSON writer answers.
class StrictJsonWriterProtocol
{
public:
    virtual ~StrictJsonWriterProtocol() = default;
    // The text of a dictionary or an array, or nothing with the error trace set.
    virtual std::optional<std::string> stringWithObject(const ns::Id& value) = 0;
    virtual bool humanReadable() const = 0;
    virtual void setHumanReadable(bool humanReadable) = 0;
    virtual bool sortKeys() const = 0;
    virtual void setSortKeys(bool sortKeys) = 0;
};

// An object the writer cannot write itself stands in with a value it can write.
class StrictJsonProxy
{
public:
    virtual ~StrictJsonProxy() = default;
    virtual ns::Id proxyForJson() const = 0;
};
