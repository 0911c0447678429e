#include "system/Keychain.h"
#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Number.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

using ns::Data;
using ns::Dictionary;
using ns::Number;
using ns::String;

ns::Ref<Dictionary> item(const char* service, const char* account, const char* secret = nullptr)
{
    auto query = ns::MutableDictionary::make();
    query->setObject(String::make(sec::kSecClassGenericPassword), sec::kSecClass);
    if (service)
        query->setObject(String::make(service), sec::kSecAttrService);
    if (account)
        query->setObject(String::make(account), sec::kSecAttrAccount);
    if (secret)
        query->setObject(Data::withString(secret), sec::kSecValueData);
    return query;
}

ns::Ref<Dictionary> asking(ns::Ref<Dictionary> query, bool data, bool attributes, bool all = false)
{
    auto copy = query->mutableCopy();
    if (data)
        copy->setObject(Number::numberWithBool(true), sec::kSecReturnData);
    if (attributes)
        copy->setObject(Number::numberWithBool(true), sec::kSecReturnAttributes);
    copy->setObject(String::make(all ? sec::kSecMatchLimitAll : sec::kSecMatchLimitOne), sec::kSecMatchLimit);
    return copy;
}

std::string secretOf(const char* service, const char* account)
{
    ns::Id result;
    if (sec::itemCopyMatching(*asking(item(service, account), true, false), &result) != sec::errSecSuccess)
        return "<none>";
    auto data = ns::cast<Data>(result);
    return data ? std::string(data->view()) : "<not data>";
}

class KeychainTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { sec::Keychain::setInMemory(GetParam()); }
    void TearDown() override { sec::Keychain::setInMemory(false); }

    testkit::TemporaryHome home;
};

TEST_P(KeychainTest, OperationsAnswerThePlatformsStatuses)
{
    struct Row
    {
        const char* name;
        std::function<sec::OSStatus()> operation;
        sec::OSStatus expected;
    } rows[] = {
        {"add", [] { return sec::itemAdd(*item("twitter", "alice", "s1"), nullptr); }, sec::errSecSuccess},
        {"add another account", [] { return sec::itemAdd(*item("twitter", "bob", "s2"), nullptr); },
         sec::errSecSuccess},
        {"duplicate", [] { return sec::itemAdd(*item("twitter", "alice", "other"), nullptr); },
         sec::errSecDuplicateItem},
        {"missing item",
         [] {
             ns::Id result;
             return sec::itemCopyMatching(*asking(item("twitter", "carol"), true, false), &result);
         },
         sec::errSecItemNotFound},
        {"no class",
         [] {
             auto query = item("twitter", "alice")->mutableCopy();
             query->removeObjectForKey(sec::kSecClass);
             return sec::itemAdd(*query, nullptr);
         },
         sec::errSecParam},
        {"service not text",
         [] {
             auto query = item(nullptr, "alice")->mutableCopy();
             query->setObject(Number::numberWithInt(3), sec::kSecAttrService);
             return sec::itemDelete(*query);
         },
         sec::errSecParam},
        {"update", [] { return sec::itemUpdate(*item("twitter", "alice"), *item(nullptr, nullptr, "s1b")); },
         sec::errSecSuccess},
        {"update missing",
         [] { return sec::itemUpdate(*item("twitter", "carol"), *item(nullptr, nullptr, "x")); },
         sec::errSecItemNotFound},
        {"delete", [] { return sec::itemDelete(*item("twitter", "bob")); }, sec::errSecSuccess},
        {"delete again", [] { return sec::itemDelete(*item("twitter", "bob")); }, sec::errSecItemNotFound},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.operation(), row.expected);
    }
    EXPECT_EQ(secretOf("twitter", "alice"), "s1b");
    EXPECT_EQ(secretOf("twitter", "bob"), "<none>");
}

TEST_P(KeychainTest, CopiesOneOrAllAsDataOrAttributes)
{
    ASSERT_EQ(sec::itemAdd(*item("svc", "a", "one"), nullptr), sec::errSecSuccess);
    ASSERT_EQ(sec::itemAdd(*item("svc", "b", "two"), nullptr), sec::errSecSuccess);
    ASSERT_EQ(sec::itemAdd(*item("elsewhere", "a", "three"), nullptr), sec::errSecSuccess);

    ns::Id result;
    ASSERT_EQ(sec::itemCopyMatching(*asking(item("svc", nullptr), true, false, true), &result),
              sec::errSecSuccess);
    auto all = ns::cast<ns::Array>(result);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->count(), 2u);
    EXPECT_EQ(all->objectAs<Data>(0)->view(), "one");
    EXPECT_EQ(all->objectAs<Data>(1)->view(), "two");

    ASSERT_EQ(sec::itemCopyMatching(*asking(item("svc", "b"), true, true), &result), sec::errSecSuccess);
    auto attributes = ns::cast<Dictionary>(result);
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->stringForKey(sec::kSecAttrService), "svc");
    EXPECT_EQ(attributes->stringForKey(sec::kSecAttrAccount), "b");
    EXPECT_EQ(attributes->objectAs<Data>(sec::kSecValueData)->view(), "two");

    ASSERT_EQ(sec::itemCopyMatching(*asking(item(nullptr, "a"), false, true, true), &result),
              sec::errSecSuccess);
    ASSERT_EQ(ns::cast<ns::Array>(result)->count(), 2u);
    EXPECT_FALSE(ns::cast<ns::Array>(result)->objectAs<Dictionary>(0)->objectForKey(sec::kSecValueData));
}

// One account kept under two services is two items: each operation on one leaves the other as it was.
TEST_P(KeychainTest, TheSameAccountUnderAnotherServiceIsAnotherItem)
{
    struct Row
    {
        const char* name;
        std::function<sec::OSStatus()> operation;
        const char* mailSecret; // the "mail" item's secret afterwards
    } rows[] = {
        {"update", [] { return sec::itemUpdate(*item("mail", "alice"), *item(nullptr, nullptr, "changed")); },
         "changed"},
        {"delete", [] { return sec::itemDelete(*item("mail", "alice")); }, "<none>"},
        {"copy one",
         [] {
             ns::Id result;
             sec::OSStatus status =
                 sec::itemCopyMatching(*asking(item("mail", "alice"), true, true), &result);
             // The one item found is the mail item, with its own data.
             auto attributes = ns::cast<Dictionary>(result);
             auto data = attributes ? attributes->objectAs<Data>(sec::kSecValueData) : nullptr;
             if (!data || data->view() != "for mail" ||
                 attributes->stringForKey(sec::kSecAttrService) != "mail")
                 return sec::errSecParam;
             return status;
         },
         "for mail"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The other service's item is added first, so a look-up that ignores the service meets it first.
        ASSERT_EQ(sec::itemAdd(*item("chat", "alice", "for chat"), nullptr), sec::errSecSuccess);
        ASSERT_EQ(sec::itemAdd(*item("mail", "alice", "for mail"), nullptr), sec::errSecSuccess);
        EXPECT_EQ(row.operation(), sec::errSecSuccess);
        EXPECT_EQ(secretOf("mail", "alice"), row.mailSecret);
        EXPECT_EQ(secretOf("chat", "alice"), "for chat");
        // And the other way round: the chat item answers for itself only.
        EXPECT_EQ(sec::itemDelete(*item("chat", "alice")), sec::errSecSuccess);
        EXPECT_EQ(secretOf("chat", "alice"), "<none>");
        EXPECT_EQ(secretOf("mail", "alice"), row.mailSecret);
        sec::itemDelete(*item("mail", "alice"));
    }
}

TEST_P(KeychainTest, ForcedFailureAnswersOnce)
{
    sec::Keychain::failNextWith(-25308);
    EXPECT_EQ(sec::itemAdd(*item("s", "a", "x"), nullptr), -25308);
    EXPECT_EQ(sec::itemAdd(*item("s", "a", "x"), nullptr), sec::errSecSuccess);
}

INSTANTIATE_TEST_SUITE_P(Stores, KeychainTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Memory" : "File";
                         });

TEST(Keychain, FileIsPrivateAndSurvivesARestart)
{
    testkit::TemporaryHome home;
    // The folder exists already, open to everyone, as the device's layout made it.
    std::string folder = home.path() + "/Library/Keychains";
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    sec::Keychain::setInMemory(false);
    ASSERT_EQ(sec::itemAdd(*item("svc", "me", "kept"), nullptr), sec::errSecSuccess);
    struct stat info
    {
    };
    ASSERT_EQ(stat(sec::Keychain::path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(sec::Keychain::path(), home.path() + "/Library/Keychains/keychain.sqlite");
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // A restart (switching stores away and back opens the file anew), after someone opened the folder up:
    // the file is kept, and the folder made private again.
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    sec::Keychain::setInMemory(true);
    EXPECT_EQ(secretOf("svc", "me"), "<none>");
    sec::Keychain::setInMemory(false);
    EXPECT_EQ(secretOf("svc", "me"), "kept");
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// What another process writes into the file is what the next read finds, however often the item was read
// before: a separate connection to the file changes it here as another process would.
TEST(Keychain, AChangeFromAnotherProcessIsReadAtOnce)
{
    testkit::TemporaryHome home;
    sec::Keychain::setInMemory(false);
    ASSERT_EQ(sec::itemAdd(*item("svc", "me", "first"), nullptr), sec::errSecSuccess);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(sec::Keychain::path().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    struct Row
    {
        const char* change;
        std::string me, you;
    };
    const Row rows[] = {
        {"UPDATE items SET data = CAST('second' AS BLOB) WHERE account = 'me'", "second", "<none>"},
        {"INSERT INTO items VALUES ('svc', 'you', CAST('third' AS BLOB), 0, 0)", "second", "third"},
        {"DELETE FROM items WHERE account = 'me'", "<none>", "third"},
        {"UPDATE items SET account = 'me' WHERE account = 'you'", "third", "<none>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        for (int i = 0; i < 3; ++i) { // read, and read again from what was kept
            secretOf("svc", "me");
            secretOf("svc", "you");
        }
        ASSERT_EQ(sqlite3_exec(other, row.change, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(secretOf("svc", "me"), row.me);
        EXPECT_EQ(secretOf("svc", "you"), row.you);
    }
    sqlite3_close(other);
}

// A file that is not a keychain is set aside under a name of its own, never over an earlier one, and a new
// keychain takes its place at once.
TEST(Keychain, ADamagedFileIsSetAsideAndANewOneMade)
{
    testkit::TemporaryHome home;
    sec::Keychain::setInMemory(false);
    std::string folder = home.path() + "/Library/Keychains";
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(ns::FileManager::writeAtomically(sec::Keychain::path(),
                                                     std::string(4096, static_cast<char>('A' + round))));
        sec::Keychain::setInMemory(false); // opened anew, as after a restart
        EXPECT_EQ(secretOf("svc", "me"), "<none>");
        EXPECT_EQ(sec::itemAdd(*item("svc", "me", "kept"), nullptr), sec::errSecSuccess);
        EXPECT_EQ(secretOf("svc", "me"), "kept");
        // Each damaged file under its own name, as it was.
        for (int kept = 1; kept <= round; ++kept) {
            std::string name = kept == 1 ? "/keychain.damaged.sqlite"
                                         : "/keychain.damaged-" + std::to_string(kept) + ".sqlite";
            auto bytes = ns::FileManager::contentsAtPath(folder + name);
            ASSERT_TRUE(bytes) << name;
            EXPECT_EQ(std::string(bytes->view()), std::string(4096, static_cast<char>('A' + kept)));
        }
    }
}

// SQLite keeps paths of at most 512 bytes; a home whose keychain path is longer still keeps its items.
TEST(Keychain, AHomeWithALongPathKeepsItsItems)
{
    testkit::TemporaryHome home;
    std::string deep = home.path();
    while (deep.size() < 600)
        deep += "/" + std::string(60, 'd');
    ASSERT_TRUE(ns::FileManager::createDirectoryAtPath(deep, true));
    ns::Sandbox::setHome(deep);
    sec::Keychain::setInMemory(false);
    EXPECT_EQ(sec::itemAdd(*item("svc", "me", "kept"), nullptr), sec::errSecSuccess);
    sec::Keychain::setInMemory(false);
    EXPECT_EQ(secretOf("svc", "me"), "kept");
    struct stat info
    {
    };
    ASSERT_EQ(stat(sec::Keychain::path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ns::Sandbox::setHome(home.path());
}

} // namespace
