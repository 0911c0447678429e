#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace ns {
class Dictionary;
}

// The device's keychain: generic-password items addressed by service and account, kept in
// Library/Keychains/keychain.sqlite of the current home (mode 0600, each change one transaction).
namespace sec {

using OSStatus = int32_t;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;

// Query and attribute keys, with the platform's values.
inline constexpr const char* kSecClass = "class";
inline constexpr const char* kSecClassGenericPassword = "genp";
inline constexpr const char* kSecAttrService = "svce";
inline constexpr const char* kSecAttrAccount = "acct";
inline constexpr const char* kSecAttrCreationDate = "cdat";
inline constexpr const char* kSecAttrModificationDate = "mdat";
inline constexpr const char* kSecValueData = "v_Data";
inline constexpr const char* kSecReturnData = "r_Data";
inline constexpr const char* kSecReturnAttributes = "r_Attributes";
inline constexpr const char* kSecMatchLimit = "m_Limit";
inline constexpr const char* kSecMatchLimitOne = "m_LimitOne";
inline constexpr const char* kSecMatchLimitAll = "m_LimitAll";

// Adds an item (class, service, account, data). `result`, when asked for with the return keys, gets the
// item's data or attributes.
OSStatus itemAdd(const ns::Dictionary& attributes, ns::Id* result);
// One item or all (match limit) of a service and/or account: its data (a Data, or an Array of them), its
// attributes (a Dictionary, with the data under v_Data when both are asked), or nothing.
OSStatus itemCopyMatching(const ns::Dictionary& query, ns::Id* result);
// Changes the data, service or account of every matching item.
OSStatus itemUpdate(const ns::Dictionary& query, const ns::Dictionary& attributesToUpdate);
// Deletes every matching item.
OSStatus itemDelete(const ns::Dictionary& query);

// Where the items live; tests may keep them in memory instead.
class Keychain
{
public:
    // Keep the items in memory (a fresh, empty store) instead of the home's file, or go back to the file.
    static void setInMemory(bool inMemory);
    // The next operation answers `status` without doing anything (tests of failure paths).
    static void failNextWith(OSStatus status);
    // The database file of the current home.
    static std::string path();
};

} // namespace sec
