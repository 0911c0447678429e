#include "foundation/String.h"

#include "foundation/Text.h"

#include <functional>

namespace ns {

std::size_t String::length() const
{
    return utf16Length(m_value);
}

bool String::isEqual(const Object& other) const
{
    auto* text = dynamic_cast<const String*>(&other);
    return text && text->m_value == m_value;
}

std::size_t String::hash() const
{
    return std::hash<std::string>()(m_value);
}

const std::string* stringValue(const Id& object)
{
    auto* text = dynamic_cast<const String*>(object.get());
    return text ? &text->str() : nullptr;
}

} // namespace ns
