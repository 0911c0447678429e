#include "BoardFixture.h"

#include "board/KPhoneNumber.h"
#include "board/VelmoAppDelegate.h"
#include "foundation/FileManager.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/Thread.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/VelmoSHKConfigurator.h"
#include "system/AddressBook.h"
#include "webservices/sharers/facebook/SHKFacebook.h"

namespace {

TEST(VelmoAppDelegate, FormatsLabels)
{
    struct Row
    {
        std::optional<std::string> label;
        std::string shown;
    };
    const Row rows[] = {
        {"_$!<Mobile>!$_", "mobile"}, {"_$!<Work>!$_", "work"}, {"iPhone", "iPhone"},
        {"Cabin", "cabin"},           {"_$!<Ab", "_$!<ab"},     {"_$!<HomeFAX>!$_", "homefax"},
        {"_$!<Mai>!$_", "mai"},       {std::nullopt, ""},       {"\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        EXPECT_EQ(VelmoAppDelegate::formatLabel(row.label), row.shown);
    }
}

// A person whose card cannot be read.
class BrokenPerson : public ab::Person
{
public:
    explicit BrokenPerson(Fields fields) : ab::Person(std::move(fields)) {}
    std::vector<ab::PhoneEntry> phoneNumbers() const override { throw std::runtime_error("broken card"); }
};

ns::Ref<ab::Person> person(ab::RecordID id, const char* first, const char* last,
                           std::vector<ab::PhoneEntry> phones, bool broken = false)
{
    ab::Person::Fields fields;
    fields.recordID = id;
    fields.firstName = first;
    fields.lastName = last;
    fields.phones = std::move(phones);
    if (broken)
        return ns::make<BrokenPerson>(std::move(fields));
    return ab::Person::create(std::move(fields));
}

TEST(VelmoAppDelegate, TheScanListsEveryNumberInNameOrderAndSkipsABrokenCard)
{
    VelmoAppDelegate::setAddressBookSource([] {
        return ab::AddressBook::withPeople({
            person(1, "Zoe", "Z", {{ab::builtInLabel("Mobile"), "111"}}),
            person(2, "Bob", "B", {}, true),
            person(
                3, "Anna", "A",
                {{ab::builtInLabel("Home"), "1"}, {std::string("iPhone"), "2"}, {std::string("Cabin"), "3"}}),
            person(4, "Carl", "C", {}),
        });
    });
    auto app = VelmoAppDelegate::create();
    ns::LogCapture log;
    app->loadAllContact();
    VelmoAppDelegate::setAddressBookSource(nullptr);
    auto contacts = app->allContact();
    ASSERT_TRUE(contacts);
    ASSERT_EQ(contacts->count(), 4u);
    const char* phones[] = {"1", "2", "3", "111"};
    const char* types[] = {"home", "iPhone", "cabin", "mobile"};
    for (std::size_t i = 0; i < 4; ++i) {
        auto record = contacts->objectAs<KPhoneNumber>(i);
        EXPECT_EQ(record->phone(), phones[i]);
        EXPECT_EQ(record->type(), types[i]);
        EXPECT_EQ(record->position(), i < 3 ? int(i) : 0);
    }
    EXPECT_EQ(contacts->objectAs<KPhoneNumber>(0)->firstName(), "Anna");
    EXPECT_TRUE(log.contains("exception !"));
}

TEST(VelmoAppDelegate, TheScanFollowsTheDevicesNameOrderLastNameFirstByDefault)
{
    VelmoAppDelegate::setAddressBookSource([] {
        return ab::AddressBook::withPeople({
            person(1, "Anna", "Zeta", {{std::string("iPhone"), "1"}}),
            person(2, "Zoe", "Alpha", {{std::string("iPhone"), "2"}}),
            person(3, "Bo", "Mars", {{std::string("iPhone"), "3"}}),
        });
    });
    EXPECT_EQ(ab::AddressBook::sortOrdering(), ab::SortOrdering::ByLastName);
    struct Case
    {
        ab::SortOrdering ordering;
        std::vector<std::string> names;
    } cases[] = {{ab::SortOrdering::ByLastName, {"Alpha Zoe", "Mars Bo", "Zeta Anna"}},
                 {ab::SortOrdering::ByFirstName, {"Zeta Anna", "Mars Bo", "Alpha Zoe"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ordering));
        ab::AddressBook::setSortOrdering(c.ordering);
        auto app = VelmoAppDelegate::create();
        app->loadAllContact();
        auto contacts = app->allContact();
        ASSERT_TRUE(contacts);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < contacts->count(); ++i)
            names.push_back(contacts->objectAs<KPhoneNumber>(i)->compositeName());
        EXPECT_EQ(names, c.names);
    }
    ab::AddressBook::setSortOrdering(ab::SortOrdering::ByLastName);
    VelmoAppDelegate::setAddressBookSource(nullptr);
}

TEST(VelmoAppDelegate, ThePublishedContactsAreSeenWholeFromAnotherThread)
{
    VelmoAppDelegate::setAddressBookSource([] {
        return ab::AddressBook::withPeople({person(1, "A", "B", {{std::nullopt, "9"}})});
    });
    auto app = VelmoAppDelegate::create();
    std::atomic<bool> done{false};
    ns::Thread::detach([app, &done] {
        app->loadAllContact();
        done = true;
    });
    ns::RunLoop::main().runUntil([&] { return done.load(); }, 10);
    VelmoAppDelegate::setAddressBookSource(nullptr);
    ASSERT_TRUE(app->allContact());
    EXPECT_EQ(app->allContact()->count(), 1u);
}

using Launch = BoardFixture;

TEST_F(Launch, TheLaunchCountsTheUseBeforeTheWindowExistsAndShowsTheBoard)
{
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        ns::Sandbox::devicePath() + "/Contacts.vcf",
        std::string("BEGIN:VCARD\r\nN:Berg;Anna;;;\r\nTEL;TYPE=CELL:1\r\nEND:VCARD\r\n")));
    auto app = VelmoAppDelegate::create();
    ui::Application::sharedApplication().launchWithDelegate(app);
    ASSERT_TRUE(app->viewController());
    EXPECT_TRUE(app->viewController()->isViewLoaded());
    EXPECT_TRUE(app->mainWindow()->isKeyWindow());
    ns::RunLoop::main().runUntil(
        [&] { return app->allContact() != nullptr && ns::Thread::runningDetachedThreads() == 0; }, 10);
    ASSERT_TRUE(app->allContact());
    EXPECT_EQ(app->allContact()->count(), 1u);
    EXPECT_TRUE(app->handleOpenURL(ns::URL::withString("fb123://authorize")));
}

TEST_F(Launch, InstallsThisApplicationsConfigurationWithTheDeviceSettings)
{
    VelmoAppDelegate::setConfigurationOverrides(ns::Dictionary::withStrings({
        {"twitterAPIURL", ns::String::make("http://127.0.0.1:9")},
        {"notAKey", ns::String::make("x")},
    }));
    std::vector<std::string> refused;
    VelmoAppDelegate::makeConfigurator(&refused);
    EXPECT_EQ(refused, std::vector<std::string>{"\"notAKey\" is not a configuration key"});

    auto app = VelmoAppDelegate::create();
    ui::Application::sharedApplication().launchWithDelegate(app);
    VelmoAppDelegate::setConfigurationOverrides(nullptr);
    ns::RunLoop::main().runUntil([] { return ns::Thread::runningDetachedThreads() == 0; }, 10);

    auto configuration = SHKConfiguration::sharedInstance();
    EXPECT_TRUE(ns::cast<VelmoSHKConfigurator>(configuration->configurator()));
    EXPECT_EQ(SHKConfiguration::textValue("favsPrefixKey"), "VELMO_FAVS_");
    EXPECT_EQ(SHKConfiguration::textValue("twitterAPIURL"), "http://127.0.0.1:9");
    EXPECT_EQ(SHKConfiguration::textValue("facebookAppId"), "513907246831560");
}

TEST_F(Launch, AddressesForTheSocialNetworkGoToItsSharerAndTheRestAreIgnored)
{
    SHKFacebook::forgetSession();
    auto app = VelmoAppDelegate::create();
    ui::Application::sharedApplication().launchWithDelegate(app);
    ns::RunLoop::main().runUntil([] { return ns::Thread::runningDetachedThreads() == 0; }, 10);
    struct Row
    {
        const char* name;
        const char* url;
        bool answer;
        std::optional<std::string> token;
    } rows[] = {
        {"another application's sign-in", "fb111://authorize#access_token=OTHER", true, std::nullopt},
        {"a web address", "http://example.com/#access_token=WEB", true, std::nullopt},
        {"this application's other address", "fb513907246831560://other#access_token=NO", false,
         std::nullopt},
        {"this application's sign-in", "fb513907246831560://authorize#access_token=T&expires_in=0", true,
         "T"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ui::Application::sharedApplication().receiveURL(row.url), row.answer);
        EXPECT_EQ(SHKFacebook::facebook()->accessToken(), row.token);
    }
    SHKFacebook::forgetSession();
}

} // namespace
