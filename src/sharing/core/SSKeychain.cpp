#include "sharing/core/SSKeychain.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "system/Keychain.h"

namespace {

// The queries' fixed keys and values, made once: a credential read makes only its service and account.
struct Fixed
{
    ns::Id classKey = ns::String::make(sec::kSecClass);
    ns::Id genericPassword = ns::String::make(sec::kSecClassGenericPassword);
    ns::Id serviceKey = ns::String::make(sec::kSecAttrService);
    ns::Id accountKey = ns::String::make(sec::kSecAttrAccount);
    ns::Id returnDataKey = ns::String::make(sec::kSecReturnData);
    ns::Id matchLimitKey = ns::String::make(sec::kSecMatchLimit);
    ns::Id matchLimitOne = ns::String::make(sec::kSecMatchLimitOne);
};

const Fixed& fixed()
{
    static const Fixed* shared = new Fixed(); // used by threads until exit
    return *shared;
}

ns::Ref<ns::MutableDictionary> queryForService(const std::optional<std::string>& service,
                                               const std::optional<std::string>& account)
{
    auto query = ns::MutableDictionary::make();
    query->setObject(fixed().genericPassword, fixed().classKey);
    if (service)
        query->setObject(ns::String::make(*service), fixed().serviceKey);
    if (account)
        query->setObject(ns::String::make(*account), fixed().accountKey);
    return query;
}

void fail(ns::Ref<ns::Error>* error, long code)
{
    ns::setError(error, ns::Error::make(SSKeychainErrorDomain, code));
}

} // namespace

ns::Ref<ns::Array> SSKeychain::allAccounts(ns::Ref<ns::Error>* error)
{
    return accountsForService(std::nullopt, error);
}

ns::Ref<ns::Array> SSKeychain::accountsForService(const std::optional<std::string>& service,
                                                  ns::Ref<ns::Error>* error)
{
    auto query = queryForService(service, std::nullopt);
    query->setObject(ns::Number::numberWithBool(true), sec::kSecReturnAttributes);
    query->setObject(ns::String::make(sec::kSecMatchLimitAll), sec::kSecMatchLimit);
    ns::Id result;
    sec::OSStatus status = sec::itemCopyMatching(*query, &result);
    if (status != sec::errSecSuccess)
        fail(error, status);
    return ns::cast<ns::Array>(result);
}

std::optional<std::string> SSKeychain::passwordForService(const std::optional<std::string>& service,
                                                          const std::optional<std::string>& account,
                                                          ns::Ref<ns::Error>* error)
{
    if (!service || !account) {
        fail(error, SSKeychainErrorBadArguments);
        return std::nullopt;
    }
    auto query = queryForService(service, account);
    query->setObject(ns::Number::numberWithBool(true), fixed().returnDataKey);
    query->setObject(fixed().matchLimitOne, fixed().matchLimitKey);
    ns::Id result;
    sec::OSStatus status = sec::itemCopyMatching(*query, &result);
    if (status != sec::errSecSuccess) {
        fail(error, status);
        return std::nullopt;
    }
    // Empty data, or bytes that are not UTF-8 text, read as no password.
    auto data = ns::cast<ns::Data>(result);
    if (!data || data->length() == 0 || !ns::isValidUtf8(data->view()))
        return std::nullopt;
    return std::string(data->view());
}

bool SSKeychain::deletePasswordForService(const std::optional<std::string>& service,
                                          const std::optional<std::string>& account,
                                          ns::Ref<ns::Error>* error)
{
    if (!service || !account) {
        fail(error, SSKeychainErrorBadArguments);
        return false;
    }
    sec::OSStatus status = sec::itemDelete(*queryForService(service, account));
    if (status != sec::errSecSuccess) {
        fail(error, status);
        return false;
    }
    return true;
}

bool SSKeychain::setPassword(const std::optional<std::string>& password,
                             const std::optional<std::string>& service,
                             const std::optional<std::string>& account, ns::Ref<ns::Error>* error)
{
    if (!password || !service || !account) {
        fail(error, SSKeychainErrorBadArguments);
        return false;
    }
    // Added, or the existing item updated: deleting first would lose the stored value whenever the new one
    // cannot be written.
    auto value = ns::Data::withString(*password);
    auto item = queryForService(service, account);
    item->setObject(value, sec::kSecValueData);
    sec::OSStatus status = sec::itemAdd(*item, nullptr);
    if (status == sec::errSecDuplicateItem) {
        auto change = ns::MutableDictionary::make();
        change->setObject(value, sec::kSecValueData);
        status = sec::itemUpdate(*queryForService(service, account), *change);
    }
    if (status != sec::errSecSuccess) {
        fail(error, status);
        return false;
    }
    return true;
}
