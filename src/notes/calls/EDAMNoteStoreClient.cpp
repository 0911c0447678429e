#include "notes/calls/EDAMNoteStoreClient.h"

#include "notes/calls/EDAMCallResults.h"
#include "notes/calls/EDAMCallSupport.h"

ns::Ref<EDAMNoteStoreClient> EDAMNoteStoreClient::initWithProtocol(Protocol protocol)
{
    return initWithInProtocol(protocol, protocol);
}

ns::Ref<EDAMNoteStoreClient> EDAMNoteStoreClient::initWithInProtocol(Protocol inProtocol,
                                                                     Protocol outProtocol)
{
    return ns::Factory<EDAMNoteStoreClient>::make(std::move(inProtocol), std::move(outProtocol));
}

EDAMNoteStoreClient::EDAMNoteStoreClient(Protocol inProtocol, Protocol outProtocol)
    : m_inProtocol(std::move(inProtocol)), m_outProtocol(std::move(outProtocol))
{
}

ns::Ref<ns::Array> EDAMNoteStoreClient::listNotebooks(const std::optional<std::string>& authenticationToken)
{
    send_listNotebooks(authenticationToken);
    return recv_listNotebooks();
}

void EDAMNoteStoreClient::send_listNotebooks(const std::optional<std::string>& authenticationToken)
{
    auto& out = *m_outProtocol;
    edam::beginCall(out, "listNotebooks", "listNotebooks_args");
    edam::writeStringArgument(out, "authenticationToken", 1, authenticationToken);
    edam::endCall(out);
}

ns::Ref<ns::Array> EDAMNoteStoreClient::recv_listNotebooks()
{
    auto result = edam::readReply<EDAMListNotebooks_result>(*m_inProtocol);
    if (result->successIsSet())
        return result->success();
    edam::raiseDeclaredException(*result);
    edam::raiseMissingResult("listNotebooks");
}

ns::Ref<EDAMNote> EDAMNoteStoreClient::createNote(const std::optional<std::string>& authenticationToken,
                                                  const ns::Ref<EDAMNote>& note)
{
    send_createNote(authenticationToken, note);
    return recv_createNote();
}

void EDAMNoteStoreClient::send_createNote(const std::optional<std::string>& authenticationToken,
                                          const ns::Ref<EDAMNote>& note)
{
    auto& out = *m_outProtocol;
    if (note)
        edam::reserveForArgument(out, *note);
    edam::beginCall(out, "createNote", "createNote_args");
    edam::writeStringArgument(out, "authenticationToken", 1, authenticationToken);
    if (note) {
        out.writeFieldBegin("note", apache::thrift::protocol::T_STRUCT, 2);
        note->write(out);
        out.writeFieldEnd();
    }
    edam::endCall(out);
}

ns::Ref<EDAMNote> EDAMNoteStoreClient::recv_createNote()
{
    auto result = edam::readReply<EDAMCreateNote_result>(*m_inProtocol);
    if (result->successIsSet())
        return result->success();
    edam::raiseDeclaredException(*result);
    edam::raiseMissingResult("createNote");
}
