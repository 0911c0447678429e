#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>

namespace ns {
class Array;
class Error;
} // namespace ns

// The keychain wrapper's own errors: the keychain's status as code, or this one for a missing argument.
inline constexpr const char* SSKeychainErrorDomain = "SSKeychainErrorDomain";
inline constexpr long SSKeychainErrorBadArguments = -1001;

// Short secret texts (sharers' passwords, tokens, user names) as generic-password items of the device's
// keychain, addressed by a service and an account. Class operations only; no state. Each fills the error
// place, when one is given, only on failure.
class SSKeychain
{
public:
    // The attribute dictionaries of every item, or of the items of one service; nothing when none.
    static ns::Ref<ns::Array> allAccounts(ns::Ref<ns::Error>* error = nullptr);
    static ns::Ref<ns::Array> accountsForService(const std::optional<std::string>& service,
                                                 ns::Ref<ns::Error>* error = nullptr);

    // The stored password; nothing when there is none, and nothing without an error when it is empty.
    static std::optional<std::string> passwordForService(const std::optional<std::string>& service,
                                                         const std::optional<std::string>& account,
                                                         ns::Ref<ns::Error>* error = nullptr);
    static bool deletePasswordForService(const std::optional<std::string>& service,
                                         const std::optional<std::string>& account,
                                         ns::Ref<ns::Error>* error = nullptr);
    // Stores the password, replacing one stored before; when the new one cannot be written the old one
    // stays.
    static bool setPassword(const std::optional<std::string>& password,
                            const std::optional<std::string>& service,
                            const std::optional<std::string>& account, ns::Ref<ns::Error>* error = nullptr);
};
