#pragma once

#include "foundation/Data.h"
#include "foundation/String.h"

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/protocol/TProtocol.h>
#include <thrift/transport/TTransport.h>

#include <cstdint>
#include <string>

namespace edam {

// Reads the values of records from a protocol. Over the plain binary protocol, string and byte bodies come
// straight from the transport: the bytes are the same, one copy is saved, and a forged length costs no more
// memory than the input actually holds. Other protocols are used through their own operations.
class WireReader
{
public:
    explicit WireReader(apache::thrift::protocol::TProtocol& protocol);

    apache::thrift::protocol::TProtocol& protocol() { return m_protocol; }

    void readStructBegin();
    // False at the field stop.
    bool readFieldBegin(apache::thrift::protocol::TType& type, int16_t& id);
    void readFieldEnd() { m_protocol.readFieldEnd(); }
    void readStructEnd() { m_protocol.readStructEnd(); }

    bool readBool();
    int16_t readI16();
    int32_t readI32();
    int64_t readI64();
    double readDouble();
    ns::Ref<ns::String> readString();
    ns::Ref<ns::Data> readBinary();
    uint32_t readListBegin();
    void readListEnd() { m_protocol.readListEnd(); }

    // Passes over one value of the given type code.
    void skip(apache::thrift::protocol::TType type);

private:
    int32_t readLength();
    void discard(uint32_t size);
    void skipValue(apache::thrift::protocol::TType type);
    template <class Buffer> void readBody(Buffer& out, uint32_t size);

    apache::thrift::protocol::TProtocol& m_protocol;
    apache::thrift::protocol::TBinaryProtocol* m_binary = nullptr;
    apache::thrift::transport::TTransport* m_transport = nullptr;
    int32_t m_stringLimit = 0;
    std::string m_name;
};

// Writes the values of records to a protocol; over the plain binary protocol byte bodies are written from
// their own buffer instead of through a temporary string.
class WireWriter
{
public:
    explicit WireWriter(apache::thrift::protocol::TProtocol& protocol);

    apache::thrift::protocol::TProtocol& protocol() { return m_protocol; }

    void writeString(const ns::String& value) { m_protocol.writeString(value.str()); }
    void writeBinary(const ns::Data& value);

private:
    apache::thrift::protocol::TProtocol& m_protocol;
    apache::thrift::protocol::TBinaryProtocol* m_binary = nullptr;
};

} // namespace edam
