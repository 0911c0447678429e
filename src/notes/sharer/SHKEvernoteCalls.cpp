#include "notes/sharer/SHKEvernoteCalls.h"

#include "notes/calls/EDAMExceptions.h"
#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/calls/EDAMUserStoreClient.h"
#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMUser.h"
#include "notes/records/EDAMUserStoreConstants.h"
#include "notes/sharer/SHKEvernoteNote.h"
#include "notes/transport/THTTPClient.h"

#include "foundation/Dictionary.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "uikit/AlertView.h"

#include <thrift/protocol/TBinaryProtocol.h>

#include <exception>

namespace {

// The binary protocol as the service speaks it, strict neither way, over a new transport to the address.
std::shared_ptr<apache::thrift::protocol::TProtocol> protocolTo(const std::string& address)
{
    return std::make_shared<apache::thrift::protocol::TBinaryProtocol>(
        THTTPClient::initWithURL(ns::URL::withString(address)), 0, 0, false, false);
}

std::string setting(const char* key)
{
    return SHKConfiguration::textValue(key).value_or("");
}

ns::Ref<ns::Dictionary> resultDictionary(bool success, const std::string& errorMessage, bool relogin)
{
    auto result = ns::MutableDictionary::make();
    result->setObject(ns::String::make(success ? "1" : "0"), "success");
    result->setObject(ns::String::make(errorMessage), "errorMessage");
    result->setObject(ns::String::make(relogin ? "1" : "0"), "shouldRelogin");
    return result;
}

} // namespace

ns::Ref<EDAMAuthenticationResult>
SHKEvernoteCalls::getAuthenticationResultForUsername(const std::optional<std::string>& username,
                                                     const std::optional<std::string>& password)
{
    auto userStore = EDAMUserStoreClient::initWithProtocol(protocolTo(setting("evernoteUserStoreURL")));
    if (!userStore->checkVersion(std::string(ClientName), EDAMUserStoreConstants::EDAM_VERSION_MAJOR(),
                                 EDAMUserStoreConstants::EDAM_VERSION_MINOR())) {
        ns::performOnMainThread(
            [] {
                ui::AlertView::create(SHKLookupLocalizedText("EDMA Error"),
                                      SHKLookupLocalizedText("EDMA Version is too old."), nullptr,
                                      SHKLookupLocalizedText("Close"))
                    ->show();
            },
            false);
        return nullptr;
    }
    return userStore->authenticate(username, password, setting("evernoteConsumerKey"),
                                   setting("evernoteSecret"));
}

ns::Ref<ns::Dictionary> SHKEvernoteCalls::authorizationResult(const std::optional<std::string>& username,
                                                              const std::optional<std::string>& password)
{
    bool success = false;
    try {
        auto result = getAuthenticationResultForUsername(username, password);
        success = result && result->userIsSet() && result->user() && result->authenticationTokenIsSet() &&
                  result->authenticationToken();
    } catch (const std::exception&) {
        success = false;
    }
    auto dictionary = ns::MutableDictionary::make();
    dictionary->setObject(ns::String::make(success ? "1" : "0"), "success");
    return dictionary;
}

ns::Ref<ns::Dictionary> SHKEvernoteCalls::sendResult(const ns::Ref<SHKItem>& item,
                                                     const std::optional<std::string>& username,
                                                     const std::optional<std::string>& password, double now)
{
    try {
        auto signIn = getAuthenticationResultForUsername(username, password);
        if (!signIn)
            return resultDictionary(false, "", false);
        auto user = signIn->user();
        std::optional<std::string> token;
        if (auto text = signIn->authenticationToken())
            token = text->str();
        std::string shard = user && user->shardId() ? user->shardId()->str() : std::string();

        auto noteStore =
            EDAMNoteStoreClient::initWithProtocol(protocolTo(setting("evernoteNetStoreURLBase") + shard));
        auto note = SHKEvernoteNote::noteForItem(item, *noteStore, token, now);
        bool created = noteStore->createNote(token, note) != nullptr;
        return resultDictionary(created, "", false);
    } catch (const EDAMUserException& exception) {
        std::string parameter = exception.parameter() ? exception.parameter()->str() : std::string();
        std::string message =
            SHKFormatLocalizedText("Evernote Error on %@: %@", parameter, errorLabel(exception.errorCode()));
        return resultDictionary(false, message, shouldRelogin(exception.errorCode()));
    } catch (const std::exception&) {
        return resultDictionary(false, "", false);
    }
}

std::string SHKEvernoteCalls::errorLabel(int32_t errorCode)
{
    switch (errorCode) {
    case 2:
        return SHKLookupLocalizedText("Invalid format");
    case 3:
        return SHKLookupLocalizedText("Permission Denied");
    case 4:
        return SHKLookupLocalizedText("Internal Evernote Error");
    case 5:
        return SHKLookupLocalizedText("Data Required");
    case 7:
        return SHKLookupLocalizedText("Quota Reached");
    case 8:
        return SHKLookupLocalizedText("Invalid Auth");
    case 9:
        return SHKLookupLocalizedText("Auth Expired");
    case 10:
        return SHKLookupLocalizedText("Data Conflict");
    default:
        return SHKLookupLocalizedText("Unknown error from Evernote");
    }
}
