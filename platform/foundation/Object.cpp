#include "foundation/Object.h"

#include "foundation/CHandle.h"
#include "foundation/Format.h"

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace ns {

std::string Object::className() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    CHandle<char, ::free> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status));
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    if (name.rfind("ns::", 0) == 0)
        name = "NS" + name.substr(4);
    return name;
}

std::string Object::description() const
{
    return format("<%s: %p>", className(), static_cast<const void*>(this));
}

bool Object::isEqual(const Object& other) const
{
    return this == &other;
}

std::size_t Object::hash() const
{
    return std::hash<const void*>()(this);
}

Id Object::copy() const
{
    return std::const_pointer_cast<Object>(shared_from_this());
}

bool isEqual(const Id& a, const Id& b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->isEqual(*b);
}

std::string describe(const Id& object)
{
    return object ? object->description() : "(null)";
}

} // namespace ns
