#pragma once

#include "foundation/Data.h"
#include "foundation/String.h"

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/protocol/TProtocol.h>
#include <thrift/transport/TTransport.h>

#include <cstdint>
#include <string>
#include <type_traits>

namespace edam {

// Reads the values of records from a protocol. Over the plain binary protocol, string and byte bodies come
// straight from the transport: the bytes are the same, one copy is saved, and a forged length costs no more
// memory than the input actually holds. Other protocols are used through their own operations.
class WireReader
{
public:
    explicit WireReader(apache::thrift::protocol::TProtocol& protocol);

    apache::thrift::protocol::TProtocol& protocol() { return m_protocol; }

    // Each operation goes straight to the binary protocol's own inline code when that is the protocol, and
    // through the virtual interface otherwise.
    void readStructBegin()
    {
        m_binary ? m_binary->readStructBegin(m_name) : m_protocol.readStructBegin(m_name);
    }
    // Gives the field's type code as it came, which may be none of the known ones; false at the field stop.
    bool readFieldBegin(int8_t& type, int16_t& id);
    void readFieldEnd() { m_binary ? m_binary->readFieldEnd() : m_protocol.readFieldEnd(); }
    void readStructEnd() { m_binary ? m_binary->readStructEnd() : m_protocol.readStructEnd(); }

    bool readBool() { return read<bool>(); }
    int16_t readI16() { return read<int16_t>(); }
    int32_t readI32() { return read<int32_t>(); }
    int64_t readI64() { return read<int64_t>(); }
    double readDouble() { return read<double>(); }
    ns::Ref<ns::String> readString();
    ns::Ref<ns::Data> readBinary();
    uint32_t readListBegin();
    void readListEnd() { m_binary ? m_binary->readListEnd() : m_protocol.readListEnd(); }

    // Passes over one value of the given type code.
    void skip(int8_t type);

private:
    template <class T> T read()
    {
        T value{};
        if (m_binary)
            readScalar(*m_binary, value);
        else
            readScalar(m_protocol, value);
        return value;
    }
    template <class Protocol, class T> static void readScalar(Protocol& protocol, T& value)
    {
        if constexpr (std::is_same_v<T, bool>)
            protocol.readBool(value);
        else if constexpr (std::is_same_v<T, int16_t>)
            protocol.readI16(value);
        else if constexpr (std::is_same_v<T, int32_t>)
            protocol.readI32(value);
        else if constexpr (std::is_same_v<T, int64_t>)
            protocol.readI64(value);
        else
            protocol.readDouble(value);
    }
    int32_t readLength();
    uint32_t readCount();
    void discard(uint32_t size);
    void skipValue(int8_t type);
    template <class Buffer> void readBody(Buffer& out, uint32_t size);

    apache::thrift::protocol::TProtocol& m_protocol;
    apache::thrift::protocol::TBinaryProtocol* m_binary = nullptr;
    apache::thrift::transport::TTransport* m_transport = nullptr;
    int32_t m_stringLimit = 0;
    int32_t m_containerLimit = 0;
    std::string m_name;
};

// Writes the values of records to a protocol; over the plain binary protocol byte bodies are written from
// their own buffer instead of through a temporary string.
class WireWriter
{
public:
    explicit WireWriter(apache::thrift::protocol::TProtocol& protocol);

    apache::thrift::protocol::TProtocol& protocol() { return m_protocol; }

    void writeStructBegin(const char* name)
    {
        m_binary ? m_binary->writeStructBegin(name) : m_protocol.writeStructBegin(name);
    }
    void writeFieldBegin(const char* name, apache::thrift::protocol::TType type, int16_t id)
    {
        m_binary ? m_binary->writeFieldBegin(name, type, id) : m_protocol.writeFieldBegin(name, type, id);
    }
    void writeFieldEnd() { m_binary ? m_binary->writeFieldEnd() : m_protocol.writeFieldEnd(); }
    void writeFieldStop() { m_binary ? m_binary->writeFieldStop() : m_protocol.writeFieldStop(); }
    void writeStructEnd() { m_binary ? m_binary->writeStructEnd() : m_protocol.writeStructEnd(); }
    void writeBool(bool value) { m_binary ? m_binary->writeBool(value) : m_protocol.writeBool(value); }
    void writeI16(int16_t value) { m_binary ? m_binary->writeI16(value) : m_protocol.writeI16(value); }
    void writeI32(int32_t value) { m_binary ? m_binary->writeI32(value) : m_protocol.writeI32(value); }
    void writeI64(int64_t value) { m_binary ? m_binary->writeI64(value) : m_protocol.writeI64(value); }
    void writeDouble(double value)
    {
        m_binary ? m_binary->writeDouble(value) : m_protocol.writeDouble(value);
    }
    void writeString(const ns::String& value)
    {
        m_binary ? m_binary->writeString(value.str()) : m_protocol.writeString(value.str());
    }
    void writeBinary(const ns::Data& value);
    void writeListBegin(apache::thrift::protocol::TType elementType, uint32_t size)
    {
        m_binary ? m_binary->writeListBegin(elementType, size) : m_protocol.writeListBegin(elementType, size);
    }
    void writeListEnd() { m_binary ? m_binary->writeListEnd() : m_protocol.writeListEnd(); }

private:
    apache::thrift::protocol::TProtocol& m_protocol;
    apache::thrift::protocol::TBinaryProtocol* m_binary = nullptr;
};

} // namespace edam
