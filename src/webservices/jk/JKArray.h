#pragma once

#include "foundation/Array.h"
#include "webservices/jk/JKAllocator.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The state of one fast enumeration of a decoder's container: the position, the objects handed out and
// the container's mutation counter, which the enumerating caller watches to notice a change under it.
struct JKFastEnumerationState
{
    std::size_t state = 0;
    const ns::Id* itemsPtr = nullptr;
    const uint32_t* mutationsPtr = nullptr;
};

// The decoder's array: filled straight from the parser's slots, immutable or mutable from its creation for
// its whole life, and an ns::Array to every reader.
class JKArray final : public ns::MutableArray
{
    struct Passkey
    {
        explicit Passkey() = default;
    };

public:
    using Storage = std::vector<ns::Id, JKPoolAllocator<ns::Id>>;

    // Takes over `count` objects starting at `objects` (they are left empty).
    static ns::Ref<JKArray> create(ns::Id* objects, std::size_t count, bool mutableCollection);
    // Arrays are made only by the decoder: always raises the invalid-argument exception.
    [[noreturn]] static void allocWithZone();

    JKArray(Passkey, Storage objects, bool mutableCollection);
    ~JKArray() override;

    std::size_t count() const override { return m_objects.size(); }
    ns::Id objectAtIndex(std::size_t index) const override;
    bool isMutable() const override { return m_mutations != 0; }
    std::span<const ns::Id> objectsInPlace() const override { return {m_objects.data(), m_objects.size()}; }
    // Copies the objects of the range into `buffer`; raises the range exception as the platform does.
    void getObjects(ns::Id* buffer, std::size_t location, std::size_t length) const;
    std::size_t countByEnumerating(JKFastEnumerationState& state, ns::Id* buffer, std::size_t length) const;

    void insertObject(ns::Id object, std::size_t index) override;
    void removeObjectAtIndex(std::size_t index) override;
    void replaceObjectAtIndex(std::size_t index, ns::Id object) override;

    ns::Id copy() const override;
    std::string className() const override { return "JKArray"; }

    std::size_t capacity() const { return m_capacity; }
    uint32_t mutations() const { return m_mutations; }
    // The slots themselves, for readers that walk many arrays (the encoder).
    const ns::Id* data() const { return m_objects.data(); }

private:
    void checkMutable(const char* selector) const;
    void countMutation();

    Storage m_objects;
    uint32_t m_capacity;
    uint32_t m_mutations;
};
