#include "sharing/core/SHK.h"

#include "foundation/Array.h"
#include "foundation/Bundle.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/core/SSKeychain.h"
#include "sharing/core/VelmoSHKConfigurator.h"
#include "system/Reachability.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using Ids = std::vector<std::string>;

ns::Ref<ns::Array> array(const Ids& ids)
{
    std::vector<ns::Id> objects;
    for (const auto& id : ids)
        objects.push_back(ns::String::make(id));
    return ns::Array::make(std::move(objects));
}

Ids ids(const ns::Ref<ns::Array>& array)
{
    Ids out;
    if (array)
        for (ns::Id object : *array)
            out.push_back(ns::describe(object));
    return out;
}

Ids stored(const std::string& key)
{
    auto value = ns::UserDefaults::standard()->objectForKey(key);
    EXPECT_TRUE(ns::cast<ns::Array>(value)) << key << " is not stored as an array";
    return ids(ns::cast<ns::Array>(value));
}

// Every test has a home of its own, the shipped sharer list, and the configuration it installs.
class Favorites : public ::testing::Test
{
protected:
    Favorites()
    {
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        SHKConfiguration::reset();
        SHK::reset();
    }
    ~Favorites() override
    {
        SHK::reset();
        SHKConfiguration::reset();
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        net::Reachability::setOverride(std::nullopt);
    }
    ns::Ref<DefaultSHKConfigurator> install(ns::Ref<DefaultSHKConfigurator> configurator)
    {
        SHKConfiguration::sharedInstanceWithConfigurator(configurator);
        return configurator;
    }
    // A sharer list of its own in the home, as the main bundle's resource.
    void useSharerList(const std::map<std::string, Ids>& categories)
    {
        auto dictionary = ns::MutableDictionary::make();
        for (const auto& [name, list] : categories)
            dictionary->setObject(array(list), name);
        ASSERT_TRUE(ns::PropertyList::writePropertyList(dictionary, home.file("SHKSharers.plist")));
        ns::Bundle::setMainPath(home.path());
    }

    testkit::TemporaryHome home;
};

TEST_F(Favorites, VelmosAddressFavouritesAreItsThreeSharersInOrder)
{
    install(VelmoSHKConfigurator::create());
    Ids expected{"SHKFacebook", "SHKTwitter", "SHKTextMessage"};
    EXPECT_EQ(ids(SHK::favoriteSharersForType(SHKShareTypeURL)), expected);
    EXPECT_EQ(stored("VELMO_FAVS_1"), expected);
    // Stored once, read back after.
    EXPECT_EQ(ids(SHK::favoriteSharersForType(SHKShareTypeURL)), expected);
}

TEST_F(Favorites, DefaultsPerTypeLessWhatTheSharerListDoesNotName)
{
    install(DefaultSHKConfigurator::create());
    struct Row
    {
        SHKShareType type;
        Ids expected;
    } rows[] = {
        {SHKShareTypeUndefined, {}},
        {SHKShareTypeURL, {"SHKTwitter", "SHKFacebook", "SHKReadability", "SHKReadItLater"}},
        {SHKShareTypeText, {"SHKMail", "SHKTwitter", "SHKFacebook"}},
        {SHKShareTypeImage, {"SHKMail", "SHKFacebook", "SHKCopy"}},
        {SHKShareTypeFile, {"SHKMail", "SHKEvernote"}},
        {SHKShareTypeAccountInfo, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.type));
        EXPECT_EQ(ids(SHK::favoriteSharersForType(row.type)), row.expected);
        EXPECT_EQ(stored("SHK_FAVS_" + std::to_string(int(row.type))), row.expected);
    }
}

TEST_F(Favorites, ASharerListThatNamesNoneLeavesNoFavourites)
{
    install(VelmoSHKConfigurator::create());
    struct Row
    {
        const char* name;
        bool listExists;
        std::map<std::string, Ids> categories;
    } rows[] = {
        {"no list", false, {}},
        {"other sharers", true, {{"actions", {"SHKCopy"}}, {"services", {"SHKDiigo"}}}},
        {"no arrays", true, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SHK::reset();
        ns::UserDefaults::standard()->setObject(array({"SHKFacebook", "SHKTwitter"}), "VELMO_FAVS_1");
        if (row.listExists)
            useSharerList(row.categories);
        else
            ns::Bundle::setMainPath(home.file("nowhere"));
        EXPECT_TRUE(ids(SHK::favoriteSharersForType(SHKShareTypeURL)).empty());
        EXPECT_TRUE(stored("VELMO_FAVS_1").empty());
    }
}

TEST_F(Favorites, ExcludedSharersAreTakenOutEverywhere)
{
    install(VelmoSHKConfigurator::create());
    auto defaults = ns::UserDefaults::standard();
    defaults->setObject(array({"SHKTwitter", "SHKFacebook", "SHKTwitter", "SHKTextMessage"}), "VELMO_FAVS_1");
    defaults->setObject(array({"SHKTwitter", "SHKMail"}), "SHKExcluded");
    EXPECT_EQ(ids(SHK::favoriteSharersForType(SHKShareTypeURL)), (Ids{"SHKFacebook", "SHKTextMessage"}));
    EXPECT_EQ(stored("VELMO_FAVS_1"), (Ids{"SHKFacebook", "SHKTextMessage"}));
    // A stored exclusion of another kind excludes nothing.
    defaults->setObject(ns::String::make("SHKFacebook"), "SHKExcluded");
    EXPECT_EQ(ids(SHK::favoriteSharersForType(SHKShareTypeURL)), (Ids{"SHKFacebook", "SHKTextMessage"}));
}

TEST_F(Favorites, UsingASharerMovesItToTheFrontWithinTheCap)
{
    struct Row
    {
        const char* name;
        bool autoOrder;
        const char* sharer;
        Ids excluded;
        Ids expected;
    } rows[] = {
        {"a fourth sharer", true, "SHKMail", {}, {"SHKMail", "SHKFacebook", "SHKTwitter"}},
        {"one of the three", true, "SHKTwitter", {}, {"SHKTwitter", "SHKFacebook", "SHKTextMessage"}},
        {"the first", true, "SHKFacebook", {}, {"SHKFacebook", "SHKTwitter", "SHKTextMessage"}},
        {"an excluded sharer", true, "SHKMail", {"SHKMail"}, {"SHKFacebook", "SHKTwitter", "SHKTextMessage"}},
        {"ordering off", false, "SHKMail", {}, {"SHKFacebook", "SHKTwitter", "SHKTextMessage"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SHKConfiguration::reset();
        auto configurator = install(DefaultSHKConfigurator::create());
        ASSERT_TRUE(configurator->setValueForKey("autoOrderFavoriteSharers",
                                                 ns::Number::numberWithBool(row.autoOrder)));
        auto defaults = ns::UserDefaults::standard();
        defaults->removeObjectForKey("SHKExcluded");
        if (!row.excluded.empty())
            defaults->setObject(array(row.excluded), "SHKExcluded");
        SHK::setFavorites(array({"SHKFacebook", "SHKTwitter", "SHKTextMessage"}), SHKShareTypeURL);
        SHK::pushOnFavorites(row.sharer, SHKShareTypeURL);
        EXPECT_EQ(stored("SHK_FAVS_1"), row.expected);
    }
}

TEST_F(Favorites, TheCapFollowsTheConfiguration)
{
    auto configurator = install(DefaultSHKConfigurator::create());
    ASSERT_TRUE(configurator->setValueForKey("maxFavCount", ns::Number::numberWithInteger(2)));
    SHK::setFavorites(array({"SHKMail", "SHKCopy"}), SHKShareTypeText);
    SHK::pushOnFavorites("SHKTwitter", SHKShareTypeText);
    EXPECT_EQ(stored("SHK_FAVS_2"), (Ids{"SHKTwitter", "SHKMail"}));
}

TEST_F(Favorites, UserExclusionsAreKeptUnderThePrefix)
{
    install(VelmoSHKConfigurator::create());
    EXPECT_FALSE(SHK::getUserExclusions());
    auto exclusions = ns::Dictionary::make({{ns::String::make("SHKMail"), ns::Number::numberWithBool(true)}});
    SHK::setUserExclusions(exclusions);
    ASSERT_TRUE(ns::UserDefaults::standard()->dictionaryForKey("VELMO_FAVS_Exclusions"));
    ASSERT_TRUE(SHK::getUserExclusions());
    EXPECT_TRUE(SHK::getUserExclusions()->isEqual(*exclusions));
    SHK::setUserExclusions(nullptr);
    EXPECT_FALSE(SHK::getUserExclusions());
}

TEST_F(Favorites, CredentialsOfTwoSharersAreKeptApart)
{
    install(VelmoSHKConfigurator::create());
    SHK::setAuthValue("ann", "username", "SHKDiigo");
    SHK::setAuthValue("bob", "username", "SHKPinboard");
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKDiigo"), "ann");
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKPinboard"), "bob");
    EXPECT_EQ(SSKeychain::passwordForService(std::string("SHK_AUTH_SHKDiigo"), std::string("username")),
              "ann");
    SHK::setAuthValue("anne", "username", "SHKDiigo");
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKDiigo"), "anne");
    SHK::removeAuthValueForKey("username", "SHKDiigo");
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKDiigo"), std::nullopt);
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKPinboard"), "bob");
    SHK::removeAuthValueForKey("password", "SHKTwitter"); // nothing there: nothing said
    EXPECT_EQ(SHK::getAuthValueForKey("password", "SHKTwitter"), std::nullopt);
}

// A sharer class that counts its sign-outs.
struct CountingSharerClass : SHKSharerClass
{
    explicit CountingSharerClass(std::map<std::string, int>& counts, std::string name)
        : counts(counts), name(std::move(name))
    {
    }
    void logout() const override { ++counts[name]; }
    std::map<std::string, int>& counts;
    std::string name;
};

TEST_F(Favorites, LoggingOutOfAllSignsOutEveryService)
{
    install(VelmoSHKConfigurator::create());
    useSharerList(
        {{"actions", {"SHKMail", "SHKLogout"}}, {"services", {"SHKTwitter", "SHKUnknown", "SHKDiigo"}}});
    std::map<std::string, int> counts;
    auto& registry = rt::ClassRegistry::shared();
    for (std::string name : {"SHKMail", "SHKTwitter", "SHKDiigo"})
        registry.registerClass(
            name, [] { return ns::Id(); }, std::make_shared<CountingSharerClass>(counts, name));
    SHK::logoutOfAll();
    EXPECT_EQ(counts, (std::map<std::string, int>{{"SHKDiigo", 1}, {"SHKTwitter", 1}}));
    SHK::logoutOfService("SHKMail");
    SHK::logoutOfService("SHKNothing");
    EXPECT_EQ(counts["SHKMail"], 1);
    for (std::string name : {"SHKMail", "SHKTwitter", "SHKDiigo"})
        registry.unregisterClass(name);
}

TEST_F(Favorites, TheSharerListIsReadOnceAndKept)
{
    install(VelmoSHKConfigurator::create());
    useSharerList({{"services", {"SHKTwitter"}}});
    auto first = SHK::sharersDictionary();
    ASSERT_TRUE(first);
    useSharerList({{"services", {"SHKDiigo"}}});
    EXPECT_EQ(SHK::sharersDictionary(), first);
    EXPECT_EQ(ids(first->objectAs<ns::Array>("services")), (Ids{"SHKTwitter"}));
}

TEST_F(Favorites, ErrorsAreTheFrameworksOwn)
{
    auto error = SHK::error("Could not share %@ (%i)", std::string("50%% off %@"), 7);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), "sharecore");
    EXPECT_EQ(error->code(), 1);
    EXPECT_EQ(error->localizedDescription(), "Could not share 50%% off %@ (7)");
}

TEST_F(Favorites, ConnectedWhenTheInternetIsReachableAnyWay)
{
    struct Row
    {
        const char* name;
        std::optional<net::ReachabilityFlags> flags;
        bool readFails;
        bool connected;
    } rows[] = {
        {"Wi-Fi", net::kSCNetworkReachabilityFlagsReachable, false, true},
        {"mobile", net::kSCNetworkReachabilityFlagsReachable | net::kSCNetworkReachabilityFlagsIsWWAN, false,
         true},
        {"connection required",
         net::kSCNetworkReachabilityFlagsReachable | net::kSCNetworkReachabilityFlagsConnectionRequired,
         false, false},
        {"nothing", 0, false, false},
        {"unreadable", std::nullopt, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        net::Reachability::setOverride(row.flags, row.readFails);
        EXPECT_EQ(SHK::connected(), row.connected);
    }
}

} // namespace
