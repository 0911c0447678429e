// Reads the input as the reply to one of the four calls (its first byte says which), the way the clients
// read what the note service sends back through its transport: a result, a raised service or application
// exception, or a transport or protocol failure, and never anything else.

#include "notes/calls/EDAMExceptions.h"
#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/calls/EDAMUserStoreClient.h"
#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/transport/THTTPClient.h"

#include "foundation/Array.h"
#include "foundation/Data.h"

#include <thrift/Thrift.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <cstdint>
#include <memory>
#include <vector>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    auto input = THTTPClient::initWithURL(nullptr);
    input->takeReply(ns::Data::make(std::vector<uint8_t>(data + 1, data + size)));
    auto in = std::make_shared<TBinaryProtocol>(input, 0, 0, false, false);
    auto out = std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>(), 0, 0, false, false);
    auto userStore = EDAMUserStoreClient::initWithInProtocol(in, out);
    auto noteStore = EDAMNoteStoreClient::initWithInProtocol(in, out);
    try {
        switch (data[0] % 4) {
        case 0:
            userStore->recv_checkVersion();
            break;
        case 1:
            if (auto result = userStore->recv_authenticate())
                (void)result->description();
            break;
        case 2:
            if (auto notebooks = noteStore->recv_listNotebooks())
                (void)notebooks->description();
            break;
        default:
            if (auto note = noteStore->recv_createNote())
                (void)note->description();
            break;
        }
    } catch (const EDAMUserException& exception) {
        (void)exception.description();
    } catch (const EDAMSystemException& exception) {
        (void)exception.description();
    } catch (const EDAMNotFoundException& exception) {
        (void)exception.description();
    } catch (const apache::thrift::TException&) {
    }
    return 0;
}
