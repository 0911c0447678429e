#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace apache::thrift::protocol {
class TProtocol;
}
class EDAMAuthenticationResult;

// The user store's calls that this client makes.
class EDAMUserStore
{
public:
    virtual ~EDAMUserStore() = default;

    // Whether the service still speaks the protocol version the client announces.
    virtual bool checkVersion(const std::optional<std::string>& clientName, int16_t edamVersionMajor,
                              int16_t edamVersionMinor) = 0;
    // Signs the user in for the application named by the consumer key and secret.
    virtual ns::Ref<EDAMAuthenticationResult>
    authenticate(const std::optional<std::string>& username, const std::optional<std::string>& password,
                 const std::optional<std::string>& consumerKey,
                 const std::optional<std::string>& consumerSecret) = 0;
};

// The user store's client: each call writes its request, flushes (one HTTP round trip over the note
// service's transport) and reads the reply, answering its result or raising what the reply carries: the
// service's EDAMUserException or EDAMSystemException, an application exception (one the service sent, or
// a missing result), or the transport's exception. Nothing is retried. Absent string arguments are left
// off the wire.
class EDAMUserStoreClient : public ns::Object, public EDAMUserStore
{
public:
    using Protocol = std::shared_ptr<apache::thrift::protocol::TProtocol>;

    // One protocol for both directions.
    static ns::Ref<EDAMUserStoreClient> initWithProtocol(Protocol protocol);
    static ns::Ref<EDAMUserStoreClient> initWithInProtocol(Protocol inProtocol, Protocol outProtocol);

    bool checkVersion(const std::optional<std::string>& clientName, int16_t edamVersionMajor,
                      int16_t edamVersionMinor) override;
    void send_checkVersion(const std::optional<std::string>& clientName, int16_t edamVersionMajor,
                           int16_t edamVersionMinor);
    bool recv_checkVersion();

    ns::Ref<EDAMAuthenticationResult> authenticate(const std::optional<std::string>& username,
                                                   const std::optional<std::string>& password,
                                                   const std::optional<std::string>& consumerKey,
                                                   const std::optional<std::string>& consumerSecret) override;
    void send_authenticate(const std::optional<std::string>& username,
                           const std::optional<std::string>& password,
                           const std::optional<std::string>& consumerKey,
                           const std::optional<std::string>& consumerSecret);
    ns::Ref<EDAMAuthenticationResult> recv_authenticate();

    std::string className() const override { return "EDAMUserStoreClient"; }

protected:
    EDAMUserStoreClient(Protocol inProtocol, Protocol outProtocol);
    friend ns::Factory<EDAMUserStoreClient>;

private:
    Protocol m_inProtocol;
    Protocol m_outProtocol;
};
