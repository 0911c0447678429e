#include "sharing/core/SSKeychain.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "system/Keychain.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

using Text = std::optional<std::string>;

// The device's keychain file in a fresh home.
class Keychain : public ::testing::Test
{
protected:
    Keychain() { sec::Keychain::setInMemory(false); }

    testkit::TemporaryHome home;
};

long codeOf(const ns::Ref<ns::Error>& error)
{
    EXPECT_TRUE(error);
    if (!error)
        return 0;
    EXPECT_EQ(error->domain(), SSKeychainErrorDomain);
    return error->code();
}

TEST_F(Keychain, AMissingArgumentFailsWithoutTouchingTheStore)
{
    struct Row
    {
        const char* name;
        Text password, service, account;
    };
    const Row rows[] = {
        {"no service", "secret", std::nullopt, "username"},
        {"no account", "secret", "SHK_AUTH_SHKDiigo", std::nullopt},
        {"neither", "secret", std::nullopt, std::nullopt},
        {"no password", std::nullopt, "SHK_AUTH_SHKDiigo", "username"},
    };
    ASSERT_TRUE(SSKeychain::setPassword("kept", "SHK_AUTH_SHKDiigo", "username"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // A store failure waits for the next operation that reaches the store.
        sec::Keychain::failNextWith(sec::errSecIO);
        ns::Ref<ns::Error> error;
        EXPECT_FALSE(SSKeychain::setPassword(row.password, row.service, row.account, &error));
        EXPECT_EQ(codeOf(error), SSKeychainErrorBadArguments);
        if (row.password) {
            error = nullptr;
            EXPECT_FALSE(SSKeychain::passwordForService(row.service, row.account, &error));
            EXPECT_EQ(codeOf(error), SSKeychainErrorBadArguments);
            error = nullptr;
            EXPECT_FALSE(SSKeychain::deletePasswordForService(row.service, row.account, &error));
            EXPECT_EQ(codeOf(error), SSKeychainErrorBadArguments);
        }
        error = nullptr;
        EXPECT_FALSE(SSKeychain::passwordForService("SHK_AUTH_SHKDiigo", "username", &error));
        EXPECT_EQ(codeOf(error), sec::errSecIO);
    }
    EXPECT_EQ(SSKeychain::passwordForService("SHK_AUTH_SHKDiigo", "username"), "kept");
    // The short forms fail the same way, with no place for an error.
    EXPECT_FALSE(SSKeychain::setPassword("x", std::nullopt, "username"));
}

TEST_F(Keychain, StoresReadsReplacesAndDeletes)
{
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(SSKeychain::passwordForService("SHK_AUTH_SHKPinboard", "password", &error));
    EXPECT_EQ(codeOf(error), sec::errSecItemNotFound);

    EXPECT_TRUE(SSKeychain::setPassword("first", "SHK_AUTH_SHKPinboard", "password"));
    EXPECT_TRUE(SSKeychain::setPassword("s\xC3\xA9"
                                        "cond",
                                        "SHK_AUTH_SHKPinboard", "password"));
    EXPECT_TRUE(SSKeychain::setPassword("other", "SHK_AUTH_SHKDiigo", "password"));
    error = nullptr;
    EXPECT_EQ(SSKeychain::passwordForService("SHK_AUTH_SHKPinboard", "password", &error), "s\xC3\xA9"
                                                                                          "cond");
    EXPECT_FALSE(error);
    auto pinboard = SSKeychain::accountsForService("SHK_AUTH_SHKPinboard");
    ASSERT_TRUE(pinboard);
    ASSERT_EQ(pinboard->count(), 1u);
    auto attributes = pinboard->objectAs<ns::Dictionary>(0);
    EXPECT_EQ(attributes->stringForKey(sec::kSecAttrService), "SHK_AUTH_SHKPinboard");
    EXPECT_EQ(attributes->stringForKey(sec::kSecAttrAccount), "password");
    ASSERT_TRUE(SSKeychain::allAccounts());
    EXPECT_EQ(SSKeychain::allAccounts()->count(), 2u);

    EXPECT_TRUE(SSKeychain::deletePasswordForService("SHK_AUTH_SHKPinboard", "password"));
    error = nullptr;
    EXPECT_FALSE(SSKeychain::deletePasswordForService("SHK_AUTH_SHKPinboard", "password", &error));
    EXPECT_EQ(codeOf(error), sec::errSecItemNotFound);
    error = nullptr;
    EXPECT_FALSE(SSKeychain::accountsForService("SHK_AUTH_SHKPinboard", &error));
    EXPECT_EQ(codeOf(error), sec::errSecItemNotFound);
    EXPECT_EQ(SSKeychain::passwordForService("SHK_AUTH_SHKDiigo", "password"), "other");
}

TEST_F(Keychain, AnEmptyPasswordOrOneThatIsNotTextReadsAsAbsent)
{
    ASSERT_TRUE(SSKeychain::setPassword("", "SHK_AUTH_SHKTwitter", "accessKey"));
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(SSKeychain::passwordForService("SHK_AUTH_SHKTwitter", "accessKey", &error));
    EXPECT_FALSE(error);

    auto item = ns::MutableDictionary::make();
    item->setObject(ns::String::make(sec::kSecClassGenericPassword), sec::kSecClass);
    item->setObject(ns::String::make("SHK_AUTH_SHKTwitter"), sec::kSecAttrService);
    item->setObject(ns::String::make("accessSecret"), sec::kSecAttrAccount);
    item->setObject(ns::Data::withString("\xFF\xFE"), sec::kSecValueData);
    ASSERT_EQ(sec::itemAdd(*item, nullptr), sec::errSecSuccess);
    EXPECT_FALSE(SSKeychain::passwordForService("SHK_AUTH_SHKTwitter", "accessSecret", &error));
    EXPECT_FALSE(error);
}

TEST_F(Keychain, AValueThatCannotBeWrittenLeavesTheOldOne)
{
    ASSERT_TRUE(SSKeychain::setPassword("old", "SHK_AUTH_SHKEvernote", "password"));
    struct Row
    {
        const char* name;
        std::string value;
        sec::OSStatus forced; // a failure of the store itself, or none
        long code;
    };
    const Row rows[] = {
        {"too large for the store", std::string((16u << 20) + 1, 'x'), sec::errSecSuccess, sec::errSecParam},
        {"the store fails", "new", sec::errSecIO, sec::errSecIO},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.forced != sec::errSecSuccess)
            sec::Keychain::failNextWith(row.forced);
        ns::Ref<ns::Error> error;
        EXPECT_FALSE(SSKeychain::setPassword(row.value, "SHK_AUTH_SHKEvernote", "password", &error));
        EXPECT_EQ(codeOf(error), row.code);
        EXPECT_EQ(SSKeychain::passwordForService("SHK_AUTH_SHKEvernote", "password"), "old");
    }
}

} // namespace
