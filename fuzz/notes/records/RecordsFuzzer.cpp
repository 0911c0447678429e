// Reads the input as one of the note service's records (its first byte says which), over the binary
// protocol as the service speaks it. Whatever was read must write and read back to the same bytes.

#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"

#include <thrift/Thrift.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <cstdlib>
#include <memory>
#include <vector>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

namespace {

std::vector<uint8_t> bytesOf(const TMemoryBuffer& buffer)
{
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const_cast<TMemoryBuffer&>(buffer).getBuffer(&data, &size);
    return std::vector<uint8_t>(data, data + size);
}

template <class Record> std::vector<uint8_t> written(const Record& record)
{
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol protocol(buffer, 0, 0, false, false);
    record.write(protocol);
    return bytesOf(*buffer);
}

template <class Record> void check(const uint8_t* data, std::size_t size)
{
    auto input = std::make_shared<TMemoryBuffer>(const_cast<uint8_t*>(data), static_cast<uint32_t>(size),
                                                 TMemoryBuffer::OBSERVE);
    TBinaryProtocol protocol(input, 0, 0, false, false);
    Record record;
    try {
        record.read(protocol);
    } catch (const apache::thrift::TException&) {
        return;
    }
    (void)record.description();
    std::vector<uint8_t> first = written(record);
    auto again = std::make_shared<TMemoryBuffer>(first.data(), static_cast<uint32_t>(first.size()),
                                                 TMemoryBuffer::OBSERVE);
    TBinaryProtocol againProtocol(again, 0, 0, false, false);
    Record reread;
    reread.read(againProtocol);
    if (written(reread) != first)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    const uint8_t* body = data + 1;
    std::size_t length = size - 1;
    switch (data[0] % 12) {
    case 0:
        check<EDAMData>(body, length);
        break;
    case 1:
        check<EDAMNote>(body, length);
        break;
    case 2:
        check<EDAMNoteAttributes>(body, length);
        break;
    case 3:
        check<EDAMResource>(body, length);
        break;
    case 4:
        check<EDAMResourceAttributes>(body, length);
        break;
    case 5:
        check<EDAMNotebook>(body, length);
        break;
    case 6:
        check<EDAMPublishing>(body, length);
        break;
    case 7:
        check<EDAMUser>(body, length);
        break;
    case 8:
        check<EDAMUserAttributes>(body, length);
        break;
    case 9:
        check<EDAMAccounting>(body, length);
        break;
    case 10:
        check<EDAMPublicUserInfo>(body, length);
        break;
    default:
        check<EDAMAuthenticationResult>(body, length);
        break;
    }
    return 0;
}
