#pragma once

#include "foundation/Object.h"

#include <memory>
#include <optional>
#include <string>

namespace apache::thrift::protocol {
class TProtocol;
}
namespace ns {
class Array;
}
class EDAMNote;

// The note store's calls that this client makes.
class EDAMNoteStore
{
public:
    virtual ~EDAMNoteStore() = default;

    // The user's notebooks (EDAMNotebook), in the service's order.
    virtual ns::Ref<ns::Array> listNotebooks(const std::optional<std::string>& authenticationToken) = 0;
    // Stores the note and answers it as the service created it.
    virtual ns::Ref<EDAMNote> createNote(const std::optional<std::string>& authenticationToken,
                                         const ns::Ref<EDAMNote>& note) = 0;
};

// The note store's client, made and behaving like the user store's (EDAMUserStoreClient); createNote may
// also raise EDAMNotFoundException. The note writes itself; without one the argument is left off.
class EDAMNoteStoreClient : public ns::Object, public EDAMNoteStore
{
public:
    using Protocol = std::shared_ptr<apache::thrift::protocol::TProtocol>;

    static ns::Ref<EDAMNoteStoreClient> initWithProtocol(Protocol protocol);
    static ns::Ref<EDAMNoteStoreClient> initWithInProtocol(Protocol inProtocol, Protocol outProtocol);

    ns::Ref<ns::Array> listNotebooks(const std::optional<std::string>& authenticationToken) override;
    void send_listNotebooks(const std::optional<std::string>& authenticationToken);
    ns::Ref<ns::Array> recv_listNotebooks();

    ns::Ref<EDAMNote> createNote(const std::optional<std::string>& authenticationToken,
                                 const ns::Ref<EDAMNote>& note) override;
    void send_createNote(const std::optional<std::string>& authenticationToken,
                         const ns::Ref<EDAMNote>& note);
    ns::Ref<EDAMNote> recv_createNote();

    std::string className() const override { return "EDAMNoteStoreClient"; }

protected:
    EDAMNoteStoreClient(Protocol inProtocol, Protocol outProtocol);
    friend ns::Factory<EDAMNoteStoreClient>;

private:
    Protocol m_inProtocol;
    Protocol m_outProtocol;
};
