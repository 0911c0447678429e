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

void WireReader::skip(TType type)
{
    if (m_binary)
        skipValue(type);
    else
        m_protocol.skip(type);
}

// The runtime's skip reads a string into memory whatever length it claims; this one passes over the bytes.
void WireReader::skipValue(TType type)
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
        TType fieldType;
        int16_t id;
        while (readFieldBegin(fieldType, id)) {
            skipValue(fieldType);
            readFieldEnd();
        }
        readStructEnd();
        return;
    }
    case T_MAP: {
        TType keyType, valueType;
        uint32_t size = 0;
        m_protocol.readMapBegin(keyType, valueType, size);
        for (uint32_t i = 0; i < size; ++i) {
            skipValue(keyType);
            skipValue(valueType);
        }
        m_protocol.readMapEnd();
        return;
    }
    case T_SET: {
        TType elementType;
        uint32_t size = 0;
        m_protocol.readSetBegin(elementType, size);
        for (uint32_t i = 0; i < size; ++i)
            skipValue(elementType);
        m_protocol.readSetEnd();
        return;
    }
    case T_LIST: {
        TType elementType;
        uint32_t size = 0;
        m_protocol.readListBegin(elementType, size);
        for (uint32_t i = 0; i < size; ++i)
            skipValue(elementType);
        m_protocol.readListEnd();
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
