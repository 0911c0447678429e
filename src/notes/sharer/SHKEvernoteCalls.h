#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ns {
class Dictionary;
}
class EDAMAuthenticationResult;
class SHKItem;

// The note-service sharer's remote work, run on its background threads: the sign-in and the send, each
// with new clients over the addresses the configuration gives at that moment ("evernoteUserStoreURL",
// "evernoteNetStoreURLBase" with the user's shard appended, "evernoteConsumerKey", "evernoteSecret").
// Their results are the dictionaries the sharer hands to the main thread.
class SHKEvernoteCalls
{
public:
    SHKEvernoteCalls() = delete;

    static constexpr const char* ClientName = "ShrareKit EDMA";

    // Checks the protocol version, then signs in. When the service refuses the version, the "EDMA Error"
    // alert goes up on the main thread and there is no result. Raises what the calls raise.
    static ns::Ref<EDAMAuthenticationResult>
    getAuthenticationResultForUsername(const std::optional<std::string>& username,
                                       const std::optional<std::string>& password);

    // The login form's check: "success" is "1" when the sign-in gave a user and a token, "0" for anything
    // else, a raised exception included.
    static ns::Ref<ns::Dictionary> authorizationResult(const std::optional<std::string>& username,
                                                       const std::optional<std::string>& password);

    // Signs in again and creates the item's note (made at `now`, seconds since 1970): "success" "1" when
    // the service answers a note; else "0", with "shouldRelogin" "1" for a user exception that says the
    // sign-in is wrong or has expired (codes 8 and 9), and "errorMessage" naming a user exception's
    // parameter and kind. Never raises.
    static ns::Ref<ns::Dictionary> sendResult(const ns::Ref<SHKItem>& item,
                                              const std::optional<std::string>& username,
                                              const std::optional<std::string>& password, double now);

    // What a user exception's code means, looked up: "Invalid format" ... "Unknown error from Evernote".
    static std::string errorLabel(int32_t errorCode);
    // Whether the code asks for a new sign-in.
    static bool shouldRelogin(int32_t errorCode) { return errorCode == 8 || errorCode == 9; }
};
