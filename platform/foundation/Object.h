#pragma once

#include <cstddef>
#include <memory>
#include <new>
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
    // How a callback this object hands out (a part's action, a timer, a posted block) asks whether the
    // object is still alive: it keeps the weak self and acts only when locking it gives the object, which
    // the lock then holds for the length of the call.
    //     Timer::scheduled(1, false, [weak = weakSelf<Poller>()] {
    //         if (auto poller = weak.lock())
    //             poller->poll();
    //     });
    // A constructor has no self yet: such wiring runs in the class's create().
    template <class T> Weak<T> weakSelf() { return self<T>(); }

protected:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
};

// For classes with public constructors: values (a String, a Number; their own make() and class factories
// come here), private helpers, test doubles.
template <class T, class... Args> Ref<T> make(Args&&... args)
{
    return std::make_shared<T>(std::forward<Args>(args)...);
}

// Every other object is made only by its own class's factory, so that no half-built one can exist. The
// class keeps its constructors protected, lets its Factory in, and makes itself in a static create(); work
// that needs shared_from_this (subviews that point back, registrations) runs there, after make():
//
//     class Label : public View
//     {
//     public:
//         static ns::Ref<Label> create(cg::Rect frame = {}) { return ns::Factory<Label>::make(frame); }
//
//     protected:
//         explicit Label(cg::Rect frame);
//         friend ns::Factory<Label>;
//     };
//
// Only Label's own members may call Factory<Label>::make, and a subclass declares its own create() (else
// the base's answers, and makes a base). Foundation's objects keep their platform names for it
// (XMLParser::make, Bundle::withPath). The object and its count are one allocation, as with make_shared,
// and its dynamic type is the class itself, so className() and casts are unchanged.
template <class T> class Factory
{
    friend T;

    // allocate_shared builds the object through its allocator's construct(): as a member of Factory<T>,
    // that may reach T's protected constructors.
    template <class U> struct Allocator
    {
        using value_type = U;
        Allocator() = default;
        template <class V> Allocator(const Allocator<V>&) noexcept {}
        U* allocate(std::size_t count) { return std::allocator<U>().allocate(count); }
        void deallocate(U* at, std::size_t count) noexcept { std::allocator<U>().deallocate(at, count); }
        template <class V, class... Args> void construct(V* at, Args&&... args)
        {
            ::new (static_cast<void*>(at)) V(std::forward<Args>(args)...);
        }
        template <class V> bool operator==(const Allocator<V>&) const noexcept { return true; }
    };

    template <class... Args> static Ref<T> make(Args&&... args)
    {
        return std::allocate_shared<T>(Allocator<T>(), std::forward<Args>(args)...);
    }
};

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
