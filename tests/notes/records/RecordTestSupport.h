#pragma once

#include "notes/records/KeyedCoder.h"

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace notes_test {

using Bytes = std::vector<uint8_t>;
using apache::thrift::protocol::TProtocol;

// A binary protocol as the note service speaks it (strict read and strict write off), over memory.
struct Wire
{
    std::shared_ptr<apache::thrift::transport::TMemoryBuffer> buffer;
    std::shared_ptr<apache::thrift::protocol::TBinaryProtocol> protocol;

    Wire();
    explicit Wire(const Bytes& input);
    Bytes bytes() const;
};

template <class Record> Bytes bytesOf(const Record& record)
{
    Wire wire;
    record.write(*wire.protocol);
    return wire.bytes();
}

template <class Record> void readInto(Record& record, const Bytes& input)
{
    Wire wire(input);
    record.read(*wire.protocol);
}

// Bytes made by driving the protocol by hand, for inputs no record would write.
Bytes craft(const std::function<void(TProtocol&)>& write);

// The (id, type code) of each field of the struct at the start of the bytes, in wire order.
std::vector<std::pair<int, int>> fieldsOf(const Bytes& bytes);

Bytes fromHex(const std::string& hex); // white space between the digits is ignored
std::string toHex(const Bytes& bytes);
std::string readFile(const std::string& path);

// A keyed coder that keeps what it is given and remembers which operation stored each key.
class RecordingCoder : public edam::KeyedCoder
{
public:
    using Value = std::variant<ns::Id, int64_t, double, bool>;
    struct Entry
    {
        std::string operation;
        Value value;
    };

    std::map<std::string, Entry> entries;
    std::vector<std::string> order;

    bool containsValueForKey(const std::string& key) const override { return entries.count(key) != 0; }
    ns::Id decodeObjectForKey(const std::string& key) override;
    int32_t decodeInt32ForKey(const std::string& key) override;
    int decodeIntForKey(const std::string& key) override;
    int64_t decodeInt64ForKey(const std::string& key) override;
    double decodeDoubleForKey(const std::string& key) override;
    bool decodeBoolForKey(const std::string& key) override;

    void encodeObject(const ns::Id& object, const std::string& key) override { put(key, "Object", object); }
    void encodeInt32(int32_t value, const std::string& key) override { put(key, "Int32", int64_t{value}); }
    void encodeInt(int value, const std::string& key) override { put(key, "Int", int64_t{value}); }
    void encodeInt64(int64_t value, const std::string& key) override { put(key, "Int64", value); }
    void encodeDouble(double value, const std::string& key) override { put(key, "Double", value); }
    void encodeBool(bool value, const std::string& key) override { put(key, "Bool", value); }

private:
    void put(const std::string& key, const std::string& operation, Value value);
    template <class T> T get(const std::string& key, const char* operation);
};

} // namespace notes_test
