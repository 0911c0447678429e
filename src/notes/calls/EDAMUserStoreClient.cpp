#include "notes/calls/EDAMUserStoreClient.h"

#include "notes/calls/EDAMCallResults.h"
#include "notes/calls/EDAMCallSupport.h"

ns::Ref<EDAMUserStoreClient> EDAMUserStoreClient::initWithProtocol(Protocol protocol)
{
    return initWithInProtocol(protocol, protocol);
}

ns::Ref<EDAMUserStoreClient> EDAMUserStoreClient::initWithInProtocol(Protocol inProtocol,
                                                                     Protocol outProtocol)
{
    return ns::Factory<EDAMUserStoreClient>::make(std::move(inProtocol), std::move(outProtocol));
}

EDAMUserStoreClient::EDAMUserStoreClient(Protocol inProtocol, Protocol outProtocol)
    : m_inProtocol(std::move(inProtocol)), m_outProtocol(std::move(outProtocol))
{
}

bool EDAMUserStoreClient::checkVersion(const std::optional<std::string>& clientName, int16_t edamVersionMajor,
                                       int16_t edamVersionMinor)
{
    send_checkVersion(clientName, edamVersionMajor, edamVersionMinor);
    return recv_checkVersion();
}

void EDAMUserStoreClient::send_checkVersion(const std::optional<std::string>& clientName,
                                            int16_t edamVersionMajor, int16_t edamVersionMinor)
{
    auto& out = *m_outProtocol;
    edam::beginCall(out, "checkVersion", "checkVersion_args");
    edam::writeStringArgument(out, "clientName", 1, clientName);
    edam::writeI16Argument(out, "edamVersionMajor", 2, edamVersionMajor);
    edam::writeI16Argument(out, "edamVersionMinor", 3, edamVersionMinor);
    edam::endCall(out);
}

bool EDAMUserStoreClient::recv_checkVersion()
{
    auto result = edam::readReply<EDAMCheckVersion_result>(*m_inProtocol);
    if (result->successIsSet())
        return result->success();
    edam::raiseMissingResult("checkVersion");
}

ns::Ref<EDAMAuthenticationResult> EDAMUserStoreClient::authenticate(
    const std::optional<std::string>& username, const std::optional<std::string>& password,
    const std::optional<std::string>& consumerKey, const std::optional<std::string>& consumerSecret)
{
    send_authenticate(username, password, consumerKey, consumerSecret);
    return recv_authenticate();
}

void EDAMUserStoreClient::send_authenticate(const std::optional<std::string>& username,
                                            const std::optional<std::string>& password,
                                            const std::optional<std::string>& consumerKey,
                                            const std::optional<std::string>& consumerSecret)
{
    auto& out = *m_outProtocol;
    edam::beginCall(out, "authenticate", "authenticate_args");
    edam::writeStringArgument(out, "username", 1, username);
    edam::writeStringArgument(out, "password", 2, password);
    edam::writeStringArgument(out, "consumerKey", 3, consumerKey);
    edam::writeStringArgument(out, "consumerSecret", 4, consumerSecret);
    edam::endCall(out);
}

ns::Ref<EDAMAuthenticationResult> EDAMUserStoreClient::recv_authenticate()
{
    auto result = edam::readReply<EDAMAuthenticate_result>(*m_inProtocol);
    if (result->successIsSet())
        return result->success();
    edam::raiseDeclaredException(*result);
    edam::raiseMissingResult("authenticate");
}
