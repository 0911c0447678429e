#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <string>

namespace edam {

// The keyed archiver a record encodes itself into and decodes itself from, one key per field name.
class KeyedCoder
{
public:
    virtual ~KeyedCoder() = default;

    virtual bool containsValueForKey(const std::string& key) const = 0;
    virtual ns::Id decodeObjectForKey(const std::string& key) = 0;
    virtual int32_t decodeInt32ForKey(const std::string& key) = 0;
    virtual int decodeIntForKey(const std::string& key) = 0;
    virtual int64_t decodeInt64ForKey(const std::string& key) = 0;
    virtual double decodeDoubleForKey(const std::string& key) = 0;
    virtual bool decodeBoolForKey(const std::string& key) = 0;

    virtual void encodeObject(const ns::Id& object, const std::string& key) = 0;
    virtual void encodeInt32(int32_t value, const std::string& key) = 0;
    virtual void encodeInt(int value, const std::string& key) = 0;
    virtual void encodeInt64(int64_t value, const std::string& key) = 0;
    virtual void encodeDouble(double value, const std::string& key) = 0;
    virtual void encodeBool(bool value, const std::string& key) = 0;
};

} // namespace edam
