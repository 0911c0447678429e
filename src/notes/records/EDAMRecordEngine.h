#pragma once

// The one engine behind every record: reading, writing, the text form and keyed coding, driven by the
// record's field table. Included by the records' sources only.

#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "notes/records/EDAMField.h"
#include "notes/records/EDAMPool.h"
#include "notes/records/EDAMWire.h"
#include "notes/records/KeyedCoder.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace edam {

template <class Kind> struct IsStruct : std::false_type
{
};
template <class Record> struct IsStruct<Struct<Record>> : std::true_type
{
};
template <class Kind> struct IsStructList : std::false_type
{
};
template <class Record> struct IsStructList<StructList<Record>> : std::true_type
{
};

template <class SlotType> using KindOf = typename std::remove_cvref_t<SlotType>::FieldKind;

// A list's count comes from the input; the array grows past this only as elements actually arrive.
constexpr uint32_t MaxReservedElements = 1024;

template <class Record> void readFields(Record& record, WireReader& in);
template <class Record> void writeFields(const Record& record, WireWriter& out);

template <class Kind> void readValue(WireReader& in, Slot<Kind>& slot)
{
    if constexpr (std::is_same_v<Kind, Bool>) {
        slot.set(in.readBool());
    } else if constexpr (std::is_same_v<Kind, I16>) {
        slot.set(in.readI16());
    } else if constexpr (std::is_same_v<Kind, I32> || std::is_same_v<Kind, Enum>) {
        slot.set(in.readI32());
    } else if constexpr (std::is_same_v<Kind, I64>) {
        slot.set(in.readI64());
    } else if constexpr (std::is_same_v<Kind, Double>) {
        slot.set(in.readDouble());
    } else if constexpr (std::is_same_v<Kind, String>) {
        slot.set(in.readString());
    } else if constexpr (std::is_same_v<Kind, Binary>) {
        slot.set(in.readBinary());
    } else if constexpr (IsStruct<Kind>::value) {
        auto nested = makePooled<typename Kind::Element>();
        readFields(*nested, in);
        slot.set(std::move(nested));
    } else {
        static_assert(std::is_same_v<Kind, StringList> || IsStructList<Kind>::value);
        // The element type on the wire is not checked: the field's own element type is read.
        uint32_t count = in.readListBegin();
        std::vector<ns::Id> elements;
        elements.reserve(std::min(count, MaxReservedElements));
        for (uint32_t i = 0; i < count; ++i) {
            if constexpr (std::is_same_v<Kind, StringList>) {
                elements.push_back(in.readString());
            } else {
                auto element = makePooled<typename Kind::Element>();
                readFields(*element, in);
                elements.push_back(std::move(element));
            }
        }
        in.readListEnd();
        slot.set(ns::MutableArray::make(std::move(elements)));
    }
}

// Fills the record from one struct on the wire without clearing it first: fields the input does not carry
// keep what they had, unknown ids and known ids with another type code are passed over.
template <class Record> void readFields(Record& record, WireReader& in)
{
    apache::thrift::protocol::TInputRecursionTracker tracker(in.protocol());
    in.readStructBegin();
    int8_t type;
    int16_t id;
    while (in.readFieldBegin(type, id)) {
        bool taken = false;
        Record::forEachField(record, [&](const FieldInfo& info, auto& slot) {
            using Kind = KindOf<decltype(slot)>;
            if (taken || info.id != id || static_cast<int>(type) != static_cast<int>(Kind::wire))
                return;
            taken = true;
            readValue(in, slot);
        });
        if (!taken)
            in.skip(type);
        in.readFieldEnd();
    }
    in.readStructEnd();
}

template <class Element> const Element& elementAs(const ns::Id& object, const char* field)
{
    // The exact class is the common case and cheaper to tell than a kind.
    const ns::Object* raw = object.get();
    auto* element = raw && typeid(*raw) == typeid(Element) ? static_cast<const Element*>(raw)
                                                           : dynamic_cast<const Element*>(raw);
    if (!element)
        ns::raise(
            ns::InvalidArgumentException,
            ns::format("the list in field %s holds %@, which is not of its element class", field, object));
    return *element;
}

template <class Kind> void writeValue(WireWriter& out, const typename Kind::Held& value, const char* field)
{
    if constexpr (std::is_same_v<Kind, Bool>) {
        out.writeBool(value);
    } else if constexpr (std::is_same_v<Kind, I16>) {
        out.writeI16(value);
    } else if constexpr (std::is_same_v<Kind, I32> || std::is_same_v<Kind, Enum>) {
        out.writeI32(value);
    } else if constexpr (std::is_same_v<Kind, I64>) {
        out.writeI64(value);
    } else if constexpr (std::is_same_v<Kind, Double>) {
        out.writeDouble(value);
    } else if constexpr (std::is_same_v<Kind, String>) {
        out.writeString(*value);
    } else if constexpr (std::is_same_v<Kind, Binary>) {
        out.writeBinary(*value);
    } else if constexpr (IsStruct<Kind>::value) {
        writeFields(*value, out);
    } else {
        static_assert(std::is_same_v<Kind, StringList> || IsStructList<Kind>::value);
        const ns::Array& array = *value;
        std::size_t count = array.count();
        out.writeListBegin(static_cast<apache::thrift::protocol::TType>(Kind::elementWire),
                           static_cast<uint32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            ns::Id element = array.objectAtIndex(i);
            if constexpr (std::is_same_v<Kind, StringList>)
                out.writeString(elementAs<ns::String>(element, field));
            else
                writeFields(elementAs<typename Kind::Element>(element, field), out);
        }
        out.writeListEnd();
    }
}

// Writes the present fields in ascending id order; a field set to nothing is left out like an absent one.
template <class Record> void writeFields(const Record& record, WireWriter& out)
{
    apache::thrift::protocol::TOutputRecursionTracker tracker(out.protocol());
    out.writeStructBegin(Record::structName);
    Record::forEachField(record, [&](const FieldInfo& info, const auto& slot) {
        using Kind = KindOf<decltype(slot)>;
        if (!slot.present())
            return;
        out.writeFieldBegin(info.name, static_cast<apache::thrift::protocol::TType>(Kind::wire), info.id);
        writeValue<Kind>(out, slot.value, info.name);
        out.writeFieldEnd();
    });
    out.writeFieldStop();
    out.writeStructEnd();
}

template <class Kind> void describeValue(std::string& out, const typename Kind::Held& value)
{
    if constexpr (std::is_same_v<Kind, String> || std::is_same_v<Kind, Binary>)
        out += ns::format("\"%@\"", value);
    else if constexpr (std::is_same_v<Kind, I32> || std::is_same_v<Kind, Enum> || std::is_same_v<Kind, Bool>)
        out += ns::format("%i", value);
    else if constexpr (std::is_same_v<Kind, I16>)
        out += ns::format("%hi", value);
    else if constexpr (std::is_same_v<Kind, I64>)
        out += ns::format("%qi", value);
    else if constexpr (std::is_same_v<Kind, Double>)
        out += ns::format("%f", value);
    else
        out += ns::format("%@", value);
}

// "Name(field:value,field:value)" with every field, present or not.
template <class Record> std::string describeFields(const Record& record)
{
    std::string out = Record::structName;
    out += '(';
    bool first = true;
    Record::forEachField(record, [&](const FieldInfo& info, const auto& slot) {
        if (!first)
            out += ',';
        first = false;
        out += info.name;
        out += ':';
        describeValue<KindOf<decltype(slot)>>(out, slot.value);
    });
    out += ')';
    return out;
}

template <class Record> void encodeFields(const Record& record, KeyedCoder& coder)
{
    Record::forEachField(record, [&](const FieldInfo& info, const auto& slot) {
        using Kind = KindOf<decltype(slot)>;
        if (!slot.isSet)
            return;
        std::string key = info.name;
        if constexpr (Kind::coding == Coding::Object)
            coder.encodeObject(slot.value, key);
        else if constexpr (Kind::coding == Coding::Int32)
            coder.encodeInt32(slot.value, key);
        else if constexpr (Kind::coding == Coding::Int)
            coder.encodeInt(slot.value, key);
        else if constexpr (Kind::coding == Coding::Int64)
            coder.encodeInt64(slot.value, key);
        else if constexpr (Kind::coding == Coding::Double)
            coder.encodeDouble(slot.value, key);
        else
            coder.encodeBool(slot.value, key);
    });
}

// An archived object of another class than the field's is taken as nothing.
template <class Record> ns::Ref<Record> decodeFields(KeyedCoder& coder)
{
    auto record = ns::make<Record>();
    Record::forEachField(*record, [&](const FieldInfo& info, auto& slot) {
        using Kind = KindOf<decltype(slot)>;
        std::string key = info.name;
        if (!coder.containsValueForKey(key))
            return;
        if constexpr (Kind::coding == Coding::Object)
            slot.set(
                std::dynamic_pointer_cast<typename Kind::Held::element_type>(coder.decodeObjectForKey(key)));
        else if constexpr (Kind::coding == Coding::Int32)
            slot.set(coder.decodeInt32ForKey(key));
        else if constexpr (Kind::coding == Coding::Int)
            slot.set(static_cast<typename Kind::Held>(coder.decodeIntForKey(key)));
        else if constexpr (Kind::coding == Coding::Int64)
            slot.set(coder.decodeInt64ForKey(key));
        else if constexpr (Kind::coding == Coding::Double)
            slot.set(coder.decodeDoubleForKey(key));
        else
            slot.set(coder.decodeBoolForKey(key));
    });
    return record;
}

} // namespace edam

// The engine-backed operations of a record, defined once in its source file; `writeRecord` writes it.
#define EDAM_RECORD_DEFINITIONS_WRITING(Record, writeRecord)                                                 \
    static_assert(::edam::ascending(Record::fieldIds), #Record "'s fields must be in ascending id order");   \
    ns::Ref<Record> Record::initWithCoder(::edam::KeyedCoder& coder)                                         \
    {                                                                                                        \
        return ::edam::decodeFields<Record>(coder);                                                          \
    }                                                                                                        \
    void Record::encodeWithCoder(::edam::KeyedCoder& coder) const                                            \
    {                                                                                                        \
        ::edam::encodeFields(*this, coder);                                                                  \
    }                                                                                                        \
    void Record::read(::apache::thrift::protocol::TProtocol& protocol)                                       \
    {                                                                                                        \
        ::edam::WireReader in(protocol);                                                                     \
        ::edam::readFields(*this, in);                                                                       \
    }                                                                                                        \
    void Record::write(::apache::thrift::protocol::TProtocol& protocol) const                                \
    {                                                                                                        \
        ::edam::WireWriter out(protocol);                                                                    \
        writeRecord(*this, out);                                                                             \
    }                                                                                                        \
    std::string Record::description() const                                                                  \
    {                                                                                                        \
        return ::edam::describeFields(*this);                                                                \
    }

#define EDAM_RECORD_DEFINITIONS(Record) EDAM_RECORD_DEFINITIONS_WRITING(Record, ::edam::writeFields)
