#pragma once

#include "foundation/Object.h"

#include <string>
#include <string_view>

namespace ns {

// An immutable text value (UTF-8 inside; lengths and indexes the system counts are UTF-16 units).
class String : public Object
{
public:
    explicit String(std::string value = {}) : m_value(std::move(value)) {}

    static Ref<String> make(std::string value) { return std::make_shared<String>(std::move(value)); }

    const std::string& str() const { return m_value; }
    std::size_t length() const; // UTF-16 units

    std::string className() const override { return "NSString"; }
    std::string description() const override { return m_value; }
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

private:
    std::string m_value;
};

// The text of a String, or nothing for another kind of object.
const std::string* stringValue(const Id& object);

} // namespace ns
