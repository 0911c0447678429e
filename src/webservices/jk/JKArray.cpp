#include "webservices/jk/JKArray.h"

#include "foundation/Exception.h"

#include <iterator>

namespace {

std::string prefix(const char* selector)
{
    return std::string("*** -[JKArray ") + selector + "]: ";
}

[[noreturn]] void raiseBeyondBounds(const char* selector, std::size_t index, std::size_t bounds)
{
    ns::raise(ns::RangeException, prefix(selector) + "index (" + std::to_string(index) + ") beyond bounds (" +
                                      std::to_string(bounds) + ")");
}

} // namespace

ns::Ref<JKArray> JKArray::create(ns::Id* objects, std::size_t count, bool mutableCollection)
{
    Storage storage(std::make_move_iterator(objects), std::make_move_iterator(objects + count));
    return JKMakeShared<JKArray>(Passkey(), std::move(storage), mutableCollection);
}

void JKArray::allocWithZone()
{
    ns::raise(ns::InvalidArgumentException, "*** - [JKArray allocWithZone:]: The JKArray class is private to "
                                            "JKCodec and should not be used in this "
                                            "fashion.");
}

JKArray::JKArray(Passkey, Storage objects, bool mutableCollection)
    : m_objects(std::move(objects)), m_capacity(static_cast<uint32_t>(m_objects.size())),
      m_mutations(mutableCollection ? 1 : 0)
{
}

JKArray::~JKArray() = default;

ns::Id JKArray::objectAtIndex(std::size_t index) const
{
    if (index >= m_objects.size())
        raiseBeyondBounds("objectAtIndex:", index, m_objects.size());
    return m_objects[index];
}

void JKArray::getObjects(ns::Id* buffer, std::size_t location, std::size_t length) const
{
    std::size_t last = location + length;
    if (!buffer && last != 0)
        ns::raise(ns::RangeException, prefix("getObjects:range:") +
                                          "pointer to objects array is NULL but range length is " +
                                          std::to_string(last));
    if (location > m_objects.size() || last > m_objects.size() || last < location)
        raiseBeyondBounds("getObjects:range:", last, m_objects.size());
    for (std::size_t i = 0; i < length; ++i)
        buffer[i] = m_objects[location + i];
}

std::size_t JKArray::countByEnumerating(JKFastEnumerationState& state, ns::Id* buffer,
                                        std::size_t length) const
{
    if (state.state == 0) {
        state.itemsPtr = buffer;
        state.mutationsPtr = &m_mutations;
    }
    std::size_t copied = 0;
    while (copied < length && state.state < m_objects.size())
        buffer[copied++] = m_objects[state.state++];
    return copied;
}

void JKArray::checkMutable(const char* selector) const
{
    if (m_mutations == 0)
        ns::raise(ns::InternalInconsistencyException,
                  prefix(selector) + "mutating method sent to immutable object");
}

void JKArray::countMutation()
{
    m_mutations = m_mutations == UINT32_MAX ? 1 : m_mutations + 1;
}

void JKArray::insertObject(ns::Id object, std::size_t index)
{
    const char* selector = "insertObject:atIndex:";
    checkMutable(selector);
    if (!object)
        ns::raise(ns::InvalidArgumentException, prefix(selector) + "attempt to insert nil");
    if (index > m_objects.size())
        raiseBeyondBounds(selector, index, m_objects.size() + 1);
    if (m_objects.size() + 1 >= m_capacity) {
        std::size_t grown = std::size_t(m_capacity) + 16;
        if (grown > UINT32_MAX)
            ns::raise(ns::MallocException, "Unable to resize objects array.");
        m_objects.reserve(grown);
        m_capacity = static_cast<uint32_t>(grown);
    }
    m_objects.insert(m_objects.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
    countMutation();
}

void JKArray::removeObjectAtIndex(std::size_t index)
{
    const char* selector = "removeObjectAtIndex:";
    checkMutable(selector);
    if (index >= m_objects.size())
        raiseBeyondBounds(selector, index, m_objects.size());
    ns::Id removed = std::move(m_objects[index]); // released after the slots have moved
    m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(index));
    countMutation();
}

void JKArray::replaceObjectAtIndex(std::size_t index, ns::Id object)
{
    const char* selector = "replaceObjectAtIndex:withObject:";
    checkMutable(selector);
    if (!object)
        ns::raise(ns::InvalidArgumentException, prefix(selector) + "attempt to insert nil");
    if (index >= m_objects.size())
        raiseBeyondBounds(selector, index, m_objects.size());
    std::swap(m_objects[index], object);
    countMutation();
}

ns::Id JKArray::copy() const
{
    if (!isMutable())
        return ns::Object::copy();
    return ns::Array::make(std::vector<ns::Id>(m_objects.begin(), m_objects.end()));
}
