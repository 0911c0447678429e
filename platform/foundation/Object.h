#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace ns {

class Object;

// Shared ownership stands in for retain and release; a "not retained" reference is a Weak.
template <class T> using Ref = std::shared_ptr<T>;
template <class T> using Weak = std::weak_ptr<T>;
using Id = Ref<Object>;

// The root of everything the system treats as an object: dynamic values, views, controllers, sharers.
class Object : public std::enable_shared_from_this<Object>
{
public:
    virtual ~Object() = default;

    virtual std::string className() const;
    virtual std::string description() const;
    virtual bool isEqual(const Object& other) const;
    virtual std::size_t hash() const;

    // Immutable values answer themselves; mutable containers answer an immutable copy.
    virtual Id copy() const;

    template <class T> Ref<T> self() { return std::static_pointer_cast<T>(shared_from_this()); }
    template <class T> Ref<const T> self() const
    {
        return std::static_pointer_cast<const T>(shared_from_this());
    }

protected:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
};

template <class T, class... Args> Ref<T> make(Args&&... args)
{
    return std::make_shared<T>(std::forward<Args>(args)...);
}

// The object as a T, or nothing when it is another kind (isKindOfClass: and a cast in one).
template <class T, class U> Ref<T> cast(const Ref<U>& object)
{
    return std::dynamic_pointer_cast<T>(object);
}

bool isEqual(const Id& a, const Id& b);
std::string describe(const Id& object); // "(null)" for nothing

// Hashing and equality of objects by value, for containers keyed by objects.
struct IdHash
{
    std::size_t operator()(const Id& object) const { return object ? object->hash() : 0; }
};
struct IdEqual
{
    bool operator()(const Id& a, const Id& b) const { return isEqual(a, b); }
};

} // namespace ns
