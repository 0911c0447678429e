#include "RecordTestSupport.h"

#include "foundation/Ascii.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <type_traits>

namespace notes_test {

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

Wire::Wire()
    : buffer(std::make_shared<TMemoryBuffer>()),
      protocol(std::make_shared<TBinaryProtocol>(buffer, 0, 0, false, false))
{
}

Wire::Wire(const Bytes& input)
    : buffer(std::make_shared<TMemoryBuffer>(const_cast<uint8_t*>(input.data()),
                                             static_cast<uint32_t>(input.size()), TMemoryBuffer::COPY)),
      protocol(std::make_shared<TBinaryProtocol>(buffer, 0, 0, false, false))
{
}

Bytes Wire::bytes() const
{
    uint8_t* data = nullptr;
    uint32_t size = 0;
    buffer->getBuffer(&data, &size);
    return Bytes(data, data + size);
}

Bytes craft(const std::function<void(TProtocol&)>& write)
{
    Wire wire;
    write(*wire.protocol);
    return wire.bytes();
}

std::vector<std::pair<int, int>> fieldsOf(const Bytes& bytes)
{
    Wire wire(bytes);
    TProtocol& protocol = *wire.protocol;
    std::vector<std::pair<int, int>> fields;
    std::string name;
    protocol.readStructBegin(name);
    for (;;) {
        apache::thrift::protocol::TType type;
        int16_t id;
        protocol.readFieldBegin(name, type, id);
        if (type == apache::thrift::protocol::T_STOP)
            break;
        fields.emplace_back(id, static_cast<int>(type));
        protocol.skip(type);
        protocol.readFieldEnd();
    }
    protocol.readStructEnd();
    return fields;
}

Bytes fromHex(const std::string& hex)
{
    Bytes bytes;
    int high = -1;
    for (char c : hex) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        int digit = ns::hexDigitValue(c);
        if (digit < 0)
            throw std::invalid_argument("not a hex digit");
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0)
        throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

std::string toHex(const Bytes& bytes)
{
    std::string hex;
    for (uint8_t byte : bytes) {
        hex += ns::lowerHexDigits[byte >> 4];
        hex += ns::lowerHexDigits[byte & 15];
    }
    return hex;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void RecordingCoder::put(const std::string& key, const std::string& operation, Value value)
{
    if (!entries.count(key))
        order.push_back(key);
    entries[key] = Entry{operation, std::move(value)};
}

template <class T> T RecordingCoder::get(const std::string& key, const char* operation)
{
    auto found = entries.find(key);
    if (found == entries.end())
        return T{};
    if (found->second.operation != operation)
        throw std::logic_error(key + " was encoded with " + found->second.operation + ", decoded with " +
                               operation);
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
        return static_cast<T>(std::get<int64_t>(found->second.value));
    else
        return std::get<T>(found->second.value);
}

ns::Id RecordingCoder::decodeObjectForKey(const std::string& key)
{
    return get<ns::Id>(key, "Object");
}
int32_t RecordingCoder::decodeInt32ForKey(const std::string& key)
{
    return get<int32_t>(key, "Int32");
}
int RecordingCoder::decodeIntForKey(const std::string& key)
{
    return get<int>(key, "Int");
}
int64_t RecordingCoder::decodeInt64ForKey(const std::string& key)
{
    return get<int64_t>(key, "Int64");
}
double RecordingCoder::decodeDoubleForKey(const std::string& key)
{
    return get<double>(key, "Double");
}
bool RecordingCoder::decodeBoolForKey(const std::string& key)
{
    return get<bool>(key, "Bool");
}

} // namespace notes_test
