#pragma once

// What the two clients share: the request's frame and the reading of a reply. Included by their sources.

#include "foundation/Object.h"
#include "foundation/String.h"
#include "notes/records/EDAMWire.h"
#include "notes/transport/THTTPClient.h"

#include <thrift/TApplicationException.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/protocol/TProtocol.h>
#include <thrift/transport/TVirtualTransport.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>

namespace edam {

// Message header and argument struct of a call; sequence ids are not used by the service.
inline void beginCall(apache::thrift::protocol::TProtocol& out, const std::string& call,
                      const char* arguments)
{
    out.writeMessageBegin(call, apache::thrift::protocol::T_CALL, 0);
    out.writeStructBegin(arguments);
}

// Field stop, the ends, then the flush that makes the round trip.
inline void endCall(apache::thrift::protocol::TProtocol& out)
{
    out.writeFieldStop();
    out.writeStructEnd();
    out.writeMessageEnd();
    out.getTransport()->flush();
}

// A transport that only counts the bytes written to it.
class ByteCounter : public apache::thrift::transport::TVirtualTransport<ByteCounter>
{
public:
    void write(const uint8_t*, uint32_t length) { count += length; }
    std::size_t count = 0;
};

// A large argument (a note with its resources) is measured before it is written, so that the HTTP
// transport makes room for the whole request once instead of growing it through copies.
template <class Record>
void reserveForArgument(apache::thrift::protocol::TProtocol& out, const Record& record)
{
    auto* http = dynamic_cast<THTTPClient*>(out.getTransport().get());
    if (!http || !dynamic_cast<apache::thrift::protocol::TBinaryProtocol*>(&out))
        return;
    auto counter = std::make_shared<ByteCounter>();
    apache::thrift::protocol::TBinaryProtocol counting(counter, 0, 0, false, false);
    record.write(counting);
    constexpr std::size_t Frame = 256; // the message header, the token and the ends around the record
    http->reserve(counter->count + Frame);
}

// A string argument goes on the wire only when there is one.
inline void writeStringArgument(apache::thrift::protocol::TProtocol& out, const char* name, int16_t id,
                                const std::optional<std::string>& value)
{
    if (!value)
        return;
    out.writeFieldBegin(name, apache::thrift::protocol::T_STRING, id);
    out.writeString(*value);
    out.writeFieldEnd();
}

inline void writeI16Argument(apache::thrift::protocol::TProtocol& out, const char* name, int16_t id,
                             int16_t value)
{
    out.writeFieldBegin(name, apache::thrift::protocol::T_I16, id);
    out.writeI16(value);
    out.writeFieldEnd();
}

// The application exception a reply carries: its message (field 1) and type (field 2). Read through the
// records' reader rather than the runtime's own, which would hold a field type the peer chose in its
// enumeration whatever its value.
inline apache::thrift::TApplicationException readApplicationException(apache::thrift::protocol::TProtocol& in)
{
    WireReader reader(in);
    std::string message;
    int32_t type = apache::thrift::TApplicationException::UNKNOWN;
    reader.readStructBegin();
    int8_t fieldType;
    int16_t id;
    while (reader.readFieldBegin(fieldType, id)) {
        if (id == 1 && fieldType == apache::thrift::protocol::T_STRING) {
            auto text = reader.readString();
            message = text ? text->str() : std::string();
        } else if (id == 2 && fieldType == apache::thrift::protocol::T_I32) {
            type = reader.readI32();
        } else {
            reader.skip(fieldType);
        }
        reader.readFieldEnd();
    }
    reader.readStructEnd();
    // A type the runtime does not name is no value of its enumeration: it reads as unknown.
    if (type < apache::thrift::TApplicationException::UNKNOWN ||
        type > apache::thrift::TApplicationException::UNSUPPORTED_CLIENT_TYPE)
        type = apache::thrift::TApplicationException::UNKNOWN;
    return apache::thrift::TApplicationException(
        static_cast<apache::thrift::TApplicationException::TApplicationExceptionType>(type), message);
}

// Reads the reply's message into a new result record. The header's name and sequence id are not looked
// at; an exception message is read and raised as the application exception it carries.
template <class Result> ns::Ref<Result> readReply(apache::thrift::protocol::TProtocol& in)
{
    std::string name;
    apache::thrift::protocol::TMessageType type{};
    int32_t sequenceId = 0;
    in.readMessageBegin(name, type, sequenceId);
    // The protocol stores whatever kind byte the peer sent, which need not name an enumerator: look at it
    // as the number it is.
    std::underlying_type_t<apache::thrift::protocol::TMessageType> kind;
    static_assert(sizeof kind == sizeof type);
    std::memcpy(&kind, &type, sizeof kind);
    if (kind == apache::thrift::protocol::T_EXCEPTION) {
        auto exception = readApplicationException(in);
        in.readMessageEnd();
        throw exception;
    }
    auto result = ns::make<Result>();
    result->read(in);
    in.readMessageEnd();
    return result;
}

// The first exception the reply carries, in field order, raised as it was read.
template <class Result> void raiseDeclaredException(const Result& result)
{
    if (result.userExceptionIsSet() && result.userException())
        throw *result.userException();
    if (result.systemExceptionIsSet() && result.systemException())
        throw *result.systemException();
    if constexpr (requires { result.notFoundException(); }) {
        if (result.notFoundExceptionIsSet() && result.notFoundException())
            throw *result.notFoundException();
    }
}

[[noreturn]] inline void raiseMissingResult(const char* call)
{
    throw apache::thrift::TApplicationException(apache::thrift::TApplicationException::MISSING_RESULT,
                                                std::string(call) + " failed: unknown result");
}

} // namespace edam
