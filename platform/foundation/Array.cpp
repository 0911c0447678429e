#include "foundation/Array.h"

#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Format.h"

#include <algorithm>

namespace ns {
namespace {

class VectorArray : public Array
{
public:
    explicit VectorArray(std::vector<Id> objects) : m_objects(std::move(objects)) {}

    std::size_t count() const override { return m_objects.size(); }
    Id objectAtIndex(std::size_t index) const override
    {
        checkIndex(index, m_objects.size(), "objectAtIndex:");
        return m_objects[index];
    }
    std::span<const Id> objectsInPlace() const override { return m_objects; }

private:
    std::vector<Id> m_objects;
};

class VectorMutableArray : public MutableArray
{
public:
    explicit VectorMutableArray(std::vector<Id> objects) : m_objects(std::move(objects)) {}

    std::size_t count() const override { return m_objects.size(); }
    Id objectAtIndex(std::size_t index) const override
    {
        checkIndex(index, m_objects.size(), "objectAtIndex:");
        return m_objects[index];
    }
    std::span<const Id> objectsInPlace() const override { return m_objects; }
    void insertObject(Id object, std::size_t index) override
    {
        if (!object)
            raise(InvalidArgumentException,
                  "*** -[NSMutableArray insertObject:atIndex:]: object cannot be nil");
        checkIndex(index, m_objects.size() + 1, "insertObject:atIndex:");
        m_objects.insert(m_objects.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
    }
    void removeObjectAtIndex(std::size_t index) override
    {
        checkIndex(index, m_objects.size(), "removeObjectAtIndex:");
        m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void replaceObjectAtIndex(std::size_t index, Id object) override
    {
        if (!object)
            raise(InvalidArgumentException,
                  "*** -[NSMutableArray replaceObjectAtIndex:withObject:]: object cannot be nil");
        checkIndex(index, m_objects.size(), "replaceObjectAtIndex:withObject:");
        m_objects[index] = std::move(object);
    }

private:
    std::vector<Id> m_objects;
};

} // namespace

Ref<Array> Array::make(std::vector<Id> objects)
{
    for (auto& object : objects)
        if (!object)
            raise(InvalidArgumentException,
                  "*** -[NSArray initWithObjects:count:]: attempt to insert nil object");
    return std::make_shared<VectorArray>(std::move(objects));
}

Ref<MutableArray> MutableArray::make(std::vector<Id> objects)
{
    for (auto& object : objects)
        if (!object)
            raise(InvalidArgumentException,
                  "*** -[NSArray initWithObjects:count:]: attempt to insert nil object");
    return std::make_shared<VectorMutableArray>(std::move(objects));
}

void Array::checkIndex(std::size_t index, std::size_t limit, const char* operation) const
{
    if (index >= limit)
        raise(RangeException, format("*** -[%s %s]: index %lu beyond bounds [0 .. %ld]", className(),
                                     operation, index, static_cast<long>(count()) - 1));
}

std::size_t Array::indexOfObject(const Id& object) const
{
    for (std::size_t i = 0, n = count(); i < n; ++i)
        if (ns::isEqual(objectAtIndex(i), object))
            return i;
    return NotFound;
}

std::vector<Id> Array::objects() const
{
    std::vector<Id> out;
    out.reserve(count());
    for (std::size_t i = 0, n = count(); i < n; ++i)
        out.push_back(objectAtIndex(i));
    return out;
}

Ref<MutableArray> Array::mutableCopy() const
{
    return MutableArray::make(objects());
}

Id Array::copy() const
{
    if (!isMutable())
        return Object::copy();
    return Array::make(objects());
}

std::string Array::description() const
{
    return describeNested(std::const_pointer_cast<Object>(shared_from_this()), 0);
}

bool Array::isEqual(const Object& other) const
{
    auto* array = dynamic_cast<const Array*>(&other);
    if (!array || array->count() != count())
        return false;
    for (std::size_t i = 0, n = count(); i < n; ++i)
        if (!ns::isEqual(objectAtIndex(i), array->objectAtIndex(i)))
            return false;
    return true;
}

void MutableArray::addObjectsFromArray(const Array& other)
{
    for (std::size_t i = 0, n = other.count(); i < n; ++i)
        addObject(other.objectAtIndex(i));
}

void MutableArray::removeLastObject()
{
    if (count())
        removeObjectAtIndex(count() - 1);
}

void MutableArray::removeObject(const Id& object)
{
    for (std::size_t i = count(); i-- > 0;)
        if (ns::isEqual(objectAtIndex(i), object))
            removeObjectAtIndex(i);
}

void MutableArray::removeAllObjects()
{
    while (count())
        removeObjectAtIndex(count() - 1);
}

void MutableArray::sortUsingFunction(const std::function<int(const Id&, const Id&)>& compare)
{
    auto sorted = objects();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const Id& a, const Id& b) { return compare(a, b) < 0; });
    for (std::size_t i = 0; i < sorted.size(); ++i)
        replaceObjectAtIndex(i, sorted[i]);
}

} // namespace ns
