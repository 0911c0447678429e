#pragma once

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Object.h"
#include "foundation/String.h"

#include <cstddef>
#include <cstdint>

namespace apache::thrift::protocol {
class TProtocol;
}

// What every note-service record is made of: one slot (value and is-set flag) per field, described by a
// kind that fixes the value's type in memory and its type code on the wire.
namespace edam {

class KeyedCoder;

// Type codes of the binary protocol.
enum class Wire : int8_t {
    Stop = 0,
    Bool = 2,
    Double = 4,
    I16 = 6,
    I32 = 8,
    I64 = 10,
    String = 11,
    Struct = 12,
    List = 15
};

// How a scalar goes into a keyed archive: i32 fields as Int32, i16 fields and enumerations as Int.
enum class Coding { None, Bool, Int, Int32, Int64, Double, Object };

struct Bool
{
    using Held = bool;
    static constexpr Wire wire = Wire::Bool;
    static constexpr Coding coding = Coding::Bool;
};
struct I16
{
    using Held = int16_t;
    static constexpr Wire wire = Wire::I16;
    static constexpr Coding coding = Coding::Int;
};
struct I32
{
    using Held = int32_t;
    static constexpr Wire wire = Wire::I32;
    static constexpr Coding coding = Coding::Int32;
};
// An enumeration of the service: an i32 the system carries without interpreting.
struct Enum
{
    using Held = int32_t;
    static constexpr Wire wire = Wire::I32;
    static constexpr Coding coding = Coding::Int;
};
struct I64
{
    using Held = int64_t;
    static constexpr Wire wire = Wire::I64;
    static constexpr Coding coding = Coding::Int64;
};
struct Double
{
    using Held = double;
    static constexpr Wire wire = Wire::Double;
    static constexpr Coding coding = Coding::Double;
};
struct String
{
    using Held = ns::Ref<ns::String>;
    static constexpr Wire wire = Wire::String;
    static constexpr Coding coding = Coding::Object;
};
struct Binary
{
    using Held = ns::Ref<ns::Data>;
    static constexpr Wire wire = Wire::String;
    static constexpr Coding coding = Coding::Object;
};
template <class Record> struct Struct
{
    using Held = ns::Ref<Record>;
    using Element = Record;
    static constexpr Wire wire = Wire::Struct;
    static constexpr Coding coding = Coding::Object;
};
// A list of strings: an array of ns::String in wire order.
struct StringList
{
    using Held = ns::Ref<ns::Array>;
    static constexpr Wire wire = Wire::List;
    static constexpr Wire elementWire = Wire::String;
    static constexpr Coding coding = Coding::Object;
};
// A list of records: an array of Record in wire order.
template <class Record> struct StructList
{
    using Held = ns::Ref<ns::Array>;
    using Element = Record;
    static constexpr Wire wire = Wire::List;
    static constexpr Wire elementWire = Wire::Struct;
    static constexpr Coding coding = Coding::Object;
};

template <class Kind> constexpr bool isObject = Kind::coding == Coding::Object;

// One field's storage: its value and whether it carries one. An object field has three states: absent
// (flag clear), set to nothing (flag set, no object) and set to a value.
template <class Kind> struct Slot
{
    using FieldKind = Kind;
    typename Kind::Held value{};
    bool isSet = false;

    void set(typename Kind::Held newValue)
    {
        value = std::move(newValue);
        isSet = true;
    }
    // An object field lets go of its object; a scalar keeps its value and only loses the flag.
    void unset()
    {
        if constexpr (isObject<Kind>)
            value = nullptr;
        isSet = false;
    }
    // Whether the field goes on the wire: set, and for an object field holding an object.
    bool present() const
    {
        if constexpr (isObject<Kind>)
            return isSet && value != nullptr;
        else
            return isSet;
    }
};

struct FieldInfo
{
    int16_t id;
    const char* name;
};

template <std::size_t N> constexpr bool ascending(const int16_t (&ids)[N])
{
    for (std::size_t i = 1; i < N; ++i)
        if (ids[i] <= ids[i - 1])
            return false;
    return true;
}

} // namespace edam

// A record's field table is a macro FIELDS(X) with one line X(id, kind, name, Name) per field in ascending
// id order; EDAM_FIELDS(Record, FIELDS) turns it into the four accessors of every field (getter `name`,
// setter `setName`, query `nameIsSet`, `unsetName`), the visitor the engine walks, and the slots. It ends
// the class with the slots in its private part.
#define EDAM_FIELD_ACCESSORS(id, Kind, name, Name)                                                           \
    Kind::Held name() const                                                                                  \
    {                                                                                                        \
        return m_##name.value;                                                                               \
    }                                                                                                        \
    void set##Name(Kind::Held value)                                                                         \
    {                                                                                                        \
        m_##name.set(std::move(value));                                                                      \
    }                                                                                                        \
    bool name##IsSet() const                                                                                 \
    {                                                                                                        \
        return m_##name.isSet;                                                                               \
    }                                                                                                        \
    void unset##Name()                                                                                       \
    {                                                                                                        \
        m_##name.unset();                                                                                    \
    }

#define EDAM_FIELD_VISIT(id, Kind, name, Name) visit(::edam::FieldInfo{id, #name}, self.m_##name);
#define EDAM_FIELD_ID(id, Kind, name, Name) id,
#define EDAM_FIELD_SLOT(id, Kind, name, Name) ::edam::Slot<Kind> m_##name;
#define EDAM_FIELD_ASSIGN(id, Kind, name, Name) record->set##Name(std::move(name));

#define EDAM_FIELDS(Record, FIELDS)                                                                          \
public:                                                                                                      \
    FIELDS(EDAM_FIELD_ACCESSORS)                                                                             \
                                                                                                             \
    /* Calls visit(info, slot) for every field in ascending id order. */                                     \
    template <class Self, class Visitor> static void forEachField(Self& self, Visitor&& visit)               \
    {                                                                                                        \
        FIELDS(EDAM_FIELD_VISIT)                                                                             \
    }                                                                                                        \
    static constexpr int16_t fieldIds[] = {FIELDS(EDAM_FIELD_ID)};                                           \
                                                                                                             \
private:                                                                                                     \
    FIELDS(EDAM_FIELD_SLOT)

// The operations every record declares besides its accessors.
#define EDAM_RECORD_OPERATIONS(Record, name)                                                                 \
    static constexpr const char* structName = name;                                                          \
    static ns::Ref<Record> initWithCoder(::edam::KeyedCoder& coder);                                         \
    void encodeWithCoder(::edam::KeyedCoder& coder) const;                                                   \
    void read(::apache::thrift::protocol::TProtocol& protocol);                                              \
    void write(::apache::thrift::protocol::TProtocol& protocol) const;                                       \
    std::string className() const override                                                                   \
    {                                                                                                        \
        return #Record;                                                                                      \
    }                                                                                                        \
    std::string description() const override;
