#include "notes/records/EDAMWire.h"

#include "notes/records/EDAMPool.h"

#include <thrift/protocol/TProtocolException.h>

#include <algorithm>
#include <limits>
#include <vector>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::protocol::TInputRecursionTracker;
using apache::thrift::protocol::TProtocol;
using apache::thrift::protocol::TProtocolException;
using apache::thrift::protocol::TType;

namespace edam {

namespace {

// The string limit a binary protocol was made with, which it keeps to itself.
struct BinaryProtocolLimits : TBinaryProtocol
{
    static int32_t stringLimit(const TBinaryProtocol& protocol)
    {
        return protocol.*(&BinaryProtocolLimits::string_limit_);
    }
    static int32_t containerLimit(const TBinaryProtocol& protocol)
    {
        return protocol.*(&BinaryProtocolLimits::container_limit_);
    }
};

// Bodies that do not arrive in one piece are read in steps that grow with what has arrived.
constexpr std::size_t FirstStep = 64 * 1024;

} // namespace

WireReader::WireReader(TProtocol& protocol) : m_protocol(protocol)
{
    m_binary = dynamic_cast<TBinaryProtocol*>(&protocol);
    if (m_binary) {
        m_transport = protocol.getTransport().get();
        m_stringLimit = BinaryProtocolLimits::stringLimit(*m_binary);
        m_containerLimit = BinaryProtocolLimits::containerLimit(*m_binary);
        if (!m_transport)
            m_binary = nullptr;
    }
}

int32_t WireReader::readLength()
{
    int32_t size = readI32();
    if (size < 0)
        throw TProtocolException(TProtocolException::NEGATIVE_SIZE);
    if (m_stringLimit > 0 && size > m_stringLimit)
        throw TProtocolException(TProtocolException::SIZE_LIMIT);
    return size;
}

// A container's element count, checked as the binary protocol checks it. The protocol's own check of the
// count against the bytes left overflows for large counts; here the elements themselves run out of input.
uint32_t WireReader::readCount()
{
    int32_t size = readI32();
    if (size < 0)
        throw TProtocolException(TProtocolException::NEGATIVE_SIZE);
    if (m_containerLimit > 0 && size > m_containerLimit)
        throw TProtocolException(TProtocolException::SIZE_LIMIT);
    return static_cast<uint32_t>(size);
}

uint32_t WireReader::readListBegin()
{
    uint32_t size = 0;
    if (m_binary) {
        int8_t elementType;
        m_binary->readByte(elementType);
        return readCount();
    }
    TType elementType;
    m_protocol.readListBegin(elementType, size);
    return size;
}

template <class Buffer> void WireReader::readBody(Buffer& out, uint32_t size)
{
    out.clear();
    if (size == 0)
        return;
    uint32_t available = size;
    if (const uint8_t* borrowed = m_transport->borrow(nullptr, &available)) {
        if constexpr (std::is_same_v<Buffer, std::string>)
            out.assign(reinterpret_cast<const char*>(borrowed), size);
        else
            out.assign(borrowed, borrowed + size);
        m_transport->consume(size);
        return;
    }
    std::size_t done = 0;
    while (done < size) {
        std::size_t step = std::min<std::size_t>(size - done, std::max(done, FirstStep));
        out.resize(done + step);
        m_transport->readAll(reinterpret_cast<uint8_t*>(out.data()) + done, static_cast<uint32_t>(step));
        done += step;
    }
}

ns::Ref<ns::String> WireReader::readString()
{
    std::string text;
    if (m_binary)
        readBody(text, static_cast<uint32_t>(readLength()));
    else
        m_protocol.readString(text);
    return makePooled<ns::String>(std::move(text));
}

ns::Ref<ns::Data> WireReader::readBinary()
{
    std::vector<uint8_t> bytes;
    if (m_binary) {
        readBody(bytes, static_cast<uint32_t>(readLength()));
    } else {
        std::string text;
        m_protocol.readBinary(text);
        bytes.assign(text.begin(), text.end());
    }
    return makePooled<ns::Data>(std::move(bytes));
}

void WireReader::discard(uint32_t size)
{
    uint8_t scratch[4096];
    while (size > 0) {
        uint32_t available = size;
        if (m_transport->borrow(nullptr, &available)) {
            m_transport->consume(size);
            return;
        }
        uint32_t step = std::min<uint32_t>(size, sizeof scratch);
        m_transport->readAll(scratch, step);
        size -= step;
    }
}

bool WireReader::readFieldBegin(int8_t& type, int16_t& id)
{
    id = 0;
    if (m_binary) {
        // Read here rather than by the protocol, which would hold an unknown code in its enumeration.
        m_binary->readByte(type);
        if (type == apache::thrift::protocol::T_STOP)
            return false;
        m_binary->readI16(id);
        return true;
    }
    TType code;
    m_protocol.readFieldBegin(m_name, code, id);
    type = static_cast<int8_t>(code);
    return code != apache::thrift::protocol::T_STOP;
}

void WireReader::skip(int8_t type)
{
    if (m_binary)
        skipValue(type);
    else
        m_protocol.skip(static_cast<TType>(type));
}

// The runtime's skip reads a string into memory whatever length it claims; this one passes over the bytes.
// Only used over the binary protocol, whose map, set and list ends are no-ops.
void WireReader::skipValue(int8_t type)
{
    using namespace apache::thrift::protocol;
    TInputRecursionTracker tracker(m_protocol);
    switch (type) {
    case T_BOOL:
        readBool();
        return;
    case T_BYTE: {
        int8_t value;
        m_protocol.readByte(value);
        return;
    }
    case T_I16:
        readI16();
        return;
    case T_I32:
        readI32();
        return;
    case T_I64:
        readI64();
        return;
    case T_DOUBLE:
        readDouble();
        return;
    case T_STRING:
        discard(static_cast<uint32_t>(readLength()));
        return;
    case T_STRUCT: {
        readStructBegin();
        int8_t fieldType;
        int16_t id;
        while (readFieldBegin(fieldType, id)) {
            skipValue(fieldType);
            readFieldEnd();
        }
        readStructEnd();
        return;
    }
    case T_MAP: {
        int8_t keyType, valueType;
        m_binary->readByte(keyType);
        m_binary->readByte(valueType);
        for (uint32_t i = 0, size = readCount(); i < size; ++i) {
            skipValue(keyType);
            skipValue(valueType);
        }
        return;
    }
    case T_SET:
    case T_LIST: {
        int8_t elementType;
        m_binary->readByte(elementType);
        for (uint32_t i = 0, size = readCount(); i < size; ++i)
            skipValue(elementType);
        return;
    }
    default:
        throw TProtocolException(TProtocolException::INVALID_DATA, "invalid TType");
    }
}

WireWriter::WireWriter(TProtocol& protocol) : m_protocol(protocol)
{
    m_binary = dynamic_cast<TBinaryProtocol*>(&protocol);
}

void WireWriter::writeBinary(const ns::Data& value)
{
    if (m_binary) {
        m_binary->writeString(value.bytes());
        return;
    }
    m_protocol.writeBinary(std::string(value.view()));
}

} // namespace edam
