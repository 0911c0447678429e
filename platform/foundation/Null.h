#pragma once

#include "foundation/Object.h"

namespace ns {

// The one placeholder for "no value" inside collections.
class Null : public Object
{
public:
    static Ref<Null> null();

    std::string className() const override { return "NSNull"; }
    std::string description() const override { return "<null>"; }
    bool isEqual(const Object& other) const override { return dynamic_cast<const Null*>(&other) != nullptr; }
    std::size_t hash() const override { return 0x6e756c6c; }
};

inline bool isNull(const Id& object)
{
    return dynamic_cast<const Null*>(object.get()) != nullptr;
}

} // namespace ns
