#pragma once

#include "foundation/Object.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <limits>
#include <span>
#include <vector>

namespace ns {

inline constexpr std::size_t NotFound = std::numeric_limits<std::size_t>::max();

class MutableArray;

// An ordered list of objects. Abstract, so that other containers (the JSON codec's) are arrays too.
class Array : public Object
{
public:
    static Ref<Array> make(std::vector<Id> objects = {});
    static Ref<Array> make(std::initializer_list<Id> objects) { return make(std::vector<Id>(objects)); }

    virtual std::size_t count() const = 0;
    // Raises the range exception past the end.
    virtual Id objectAtIndex(std::size_t index) const = 0;
    virtual bool isMutable() const { return false; }
    // The objects themselves, side by side in order, for readers that walk many arrays without counting
    // references to each element; empty when the array does not keep them so. Valid while the array is
    // not changed.
    virtual std::span<const Id> objectsInPlace() const { return {}; }

    Id firstObject() const { return count() ? objectAtIndex(0) : nullptr; }
    Id lastObject() const { return count() ? objectAtIndex(count() - 1) : nullptr; }
    std::size_t indexOfObject(const Id& object) const; // NotFound when absent
    bool containsObject(const Id& object) const { return indexOfObject(object) != NotFound; }
    std::vector<Id> objects() const;
    template <class T> Ref<T> objectAs(std::size_t index) const { return cast<T>(objectAtIndex(index)); }

    Ref<MutableArray> mutableCopy() const;

    std::string className() const override { return "NSArray"; }
    std::string description() const override;
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override { return count(); }
    Id copy() const override;

    class Iterator
    {
    public:
        Iterator(const Array* array, std::size_t index) : m_array(array), m_index(index) {}
        Id operator*() const { return m_array->objectAtIndex(m_index); }
        Iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return m_index != other.m_index; }

    private:
        const Array* m_array;
        std::size_t m_index;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, count()); }

protected:
    void checkIndex(std::size_t index, std::size_t limit, const char* operation) const;
};

class MutableArray : public Array
{
public:
    static Ref<MutableArray> make(std::vector<Id> objects = {});

    // Each raises the invalid-argument exception for nothing and the range exception past the end.
    virtual void insertObject(Id object, std::size_t index) = 0;
    virtual void removeObjectAtIndex(std::size_t index) = 0;
    virtual void replaceObjectAtIndex(std::size_t index, Id object) = 0;

    bool isMutable() const override { return true; }
    void addObject(Id object) { insertObject(std::move(object), count()); }
    void addObjectsFromArray(const Array& other);
    void removeLastObject();
    void removeObject(const Id& object); // every equal object
    void removeAllObjects();
    void sortUsingFunction(const std::function<int(const Id&, const Id&)>& compare);

    std::string className() const override { return "NSMutableArray"; }
};

} // namespace ns
