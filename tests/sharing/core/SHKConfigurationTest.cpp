#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/VelmoSHKConfigurator.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/Thread.h"
#include "uikit/Color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

namespace {

ns::Id text(const char* value)
{
    return ns::String::make(value);
}

// Every test starts unconfigured, as a new process does.
class Configuration : public ::testing::Test
{
protected:
    Configuration() { SHKConfiguration::reset(); }
    ~Configuration() override { SHKConfiguration::reset(); }
};

// A configurator whose bar tint depends on what it is asked with.
class TintingConfigurator : public DefaultSHKConfigurator
{
public:
    static ns::Ref<TintingConfigurator> create() { return ns::Factory<TintingConfigurator>::make(); }

    ns::Id lastAskedWith;

protected:
    TintingConfigurator()
    {
        overrideAnswer("barTintForView:", [this](const ns::Id& object) -> ns::Id {
            lastAskedWith = object;
            return object ? ui::Color::redColor() : nullptr;
        });
    }
    friend ns::Factory<TintingConfigurator>;
};

std::string describe(const DefaultSHKConfigurator& configurator, const std::string& key)
{
    return DefaultSHKConfigurator::describeValue(configurator.valueForKey(key));
}

void expectIllegalState(const std::function<void()>& body, const std::string& reasonStart)
{
    try {
        body();
        ADD_FAILURE() << "no exception";
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.name(), "IllegalStateException");
        EXPECT_EQ(e.reason().substr(0, reasonStart.size()), reasonStart);
    }
}

TEST_F(Configuration, IsInstalledOnceAndAskedAfterwards)
{
    expectIllegalState(
        [] { SHKConfiguration::sharedInstance(); },
        "ShareCore must be configured before use. Use your subclass of DefaultSHKConfigurator, "
        "for more info see ");
    auto first = VelmoSHKConfigurator::create();
    auto installed = SHKConfiguration::sharedInstanceWithConfigurator(first);
    EXPECT_EQ(SHKConfiguration::sharedInstance(), installed);
    EXPECT_EQ(installed->configurator(), first);

    expectIllegalState(
        [] { SHKConfiguration::sharedInstanceWithConfigurator(DefaultSHKConfigurator::create()); },
        "SHKConfiguration has already been configured with a delegate.");
    EXPECT_EQ(SHKConfiguration::sharedInstance()->configurator(), first);
    EXPECT_EQ(*SHKConfiguration::textValue("favsPrefixKey"), "VELMO_FAVS_");
}

TEST_F(Configuration, KeysAreAskedByNameAndAnUnknownKeyGivesNothing)
{
    auto tinting = TintingConfigurator::create();
    auto configuration = SHKConfiguration::sharedInstanceWithConfigurator(tinting);
    EXPECT_FALSE(configuration->configurationValue("noSuchKey"));
    EXPECT_FALSE(configuration->configurationValue("barTintForView")); // the key names its argument
    EXPECT_FALSE(SHKConfiguration::boolValue("noSuchKey"));
    EXPECT_EQ(SHKConfiguration::integerValue("noSuchKey"), 0);
    EXPECT_FALSE(SHKConfiguration::textValue("noSuchKey"));

    auto controller = text("a view controller");
    EXPECT_TRUE(ns::cast<ui::Color>(configuration->configurationValue("barTintForView:", controller)));
    EXPECT_EQ(tinting->lastAskedWith, controller);
    EXPECT_FALSE(DefaultSHKConfigurator::create()->valueForKey("barTintForView:", controller));

    EXPECT_TRUE(SHKConfiguration::boolValue("allowOffline"));
    EXPECT_EQ(SHKConfiguration::integerValue("maxFavCount"), 3);
    EXPECT_EQ(SHKConfiguration::textValue("sharersPlistName"), "SHKSharers.plist");
    EXPECT_FALSE(SHKConfiguration::textValue("maxFavCount"));

    // Any thread may ask.
    std::atomic<int> answered{0};
    for (int i = 0; i < 4; ++i)
        ns::Thread::detach([&] {
            for (int n = 0; n < 200; ++n)
                if (SHKConfiguration::integerValue("maxFavCount") == 3)
                    ++answered;
        });
    while (ns::Thread::runningDetachedThreads() > 0)
        std::this_thread::yield();
    EXPECT_EQ(answered, 800);
}

TEST_F(Configuration, EveryKeyHasItsDefault)
{
    struct Row
    {
        const char* key;
        SHKConfigurationKind kind;
        const char* value; // as the key listing shows it
    };
    using K = SHKConfigurationKind;
    const Row rows[] = {
        {"appName", K::Text, "\"My App Name\""},
        {"appURL", K::Text, "\"https://example.com/\""},
        {"facebookAppId", K::Text, "\"\""},
        {"facebookLocalAppId", K::Text, "\"\""},
        {"facebookListOfPermissions", K::Array, "(\"publish_stream\", \"offline_access\")"},
        {"readItLaterKey", K::Text, "\"\""},
        {"diigoKey", K::Text, "\"\""},
        {"forcePreIOS5TwitterAccess", K::Bool, "false"},
        {"twitterConsumerKey", K::Text, "\"\""},
        {"twitterSecret", K::Text, "\"\""},
        {"twitterCallbackUrl", K::Text, "\"\""},
        {"twitterUseXAuth", K::Number, "0"},
        {"twitterUsername", K::Text, "\"\""},
        {"bitLyLogin", K::Text, "\"\""},
        {"bitLyKey", K::Text, "\"\""},
        {"evernoteUserStoreURL", K::Text, "\"\""},
        {"evernoteNetStoreURLBase", K::Text, "\"\""},
        {"evernoteConsumerKey", K::Text, "\"\""},
        {"evernoteSecret", K::Text, "\"\""},
        {"readabilityConsumerKey", K::Text, "\"\""},
        {"readabilitySecret", K::Text, "\"\""},
        {"readabilityUseXAuth", K::Number, "1"},
        {"foursquareV2ClientId", K::Text, "\"\""},
        {"foursquareV2RedirectURI", K::Text, "\"\""},
        {"vkontakteAppId", K::Text, "\"\""},
        {"flickrConsumerKey", K::Text, "\"\""},
        {"flickrSecretKey", K::Text, "\"\""},
        {"flickrCallbackUrl", K::Text, "\"app://flickr\""},
        {"linkedInConsumerKey", K::Text, "\"\""},
        {"linkedInSecret", K::Text, "\"\""},
        {"linkedInCallbackUrl", K::Text, "\"\""},
        {"barStyle", K::Text, "\"UIBarStyleDefault\""},
        {"barTintForView:", K::Colour, "none"},
        {"formFontColor", K::Colour, "none"},
        {"formBackgroundColor", K::Colour, "none"},
        {"modalPresentationStyle", K::Text, "\"UIModalPresentationFormSheet\""},
        {"modalTransitionStyle", K::Text, "\"UIModalTransitionStyleCoverVertical\""},
        {"usePlaceholders", K::Bool, "false"},
        {"shareMenuAlphabeticalOrder", K::Number, "0"},
        {"showActionSheetMoreButton", K::Bool, "true"},
        {"sharersPlistName", K::Text, "\"SHKSharers.plist\""},
        {"defaultFavoriteURLSharers", K::Array,
         "(\"SHKTwitter\", \"SHKFacebook\", \"SHKReadability\", \"SHKReadItLater\", \"SHKVkontakte\")"},
        {"defaultFavoriteImageSharers", K::Array,
         "(\"SHKMail\", \"SHKFacebook\", \"SHKCopy\", \"SHKVkontakte\")"},
        {"defaultFavoriteTextSharers", K::Array,
         "(\"SHKMail\", \"SHKTwitter\", \"SHKFacebook\", \"SHKVkontakte\", \"SHKLinkedIn\")"},
        {"defaultFavoriteFileSharers", K::Array, "(\"SHKMail\", \"SHKEvernote\")"},
        {"autoOrderFavoriteSharers", K::Bool, "true"},
        {"maxFavCount", K::Number, "3"},
        {"favsPrefixKey", K::Text, "\"SHK_FAVS_\""},
        {"authPrefix", K::Text, "\"SHK_AUTH_\""},
        {"allowOffline", K::Bool, "true"},
        {"allowAutoShare", K::Bool, "true"},
        {"sharedWithSignature", K::Number, "0"},
        {"facebookGraphURL", K::Text, "\"https://graph.facebook.com\""},
        {"facebookRestURL", K::Text, "\"https://api.facebook.com\""},
        {"facebookDialogURL", K::Text, "\"https://m.facebook.com\""},
        {"facebookLoginURL", K::Text, "\"https://login.facebook.com\""},
        {"foursquareV2APIURL", K::Text, "\"https://api.foursquare.com\""},
        {"foursquareV2WebURL", K::Text, "\"https://foursquare.com\""},
        {"twitterAPIURL", K::Text, "\"https://api.twitter.com\""},
        {"twitterImageHostURL", K::Text, "\"https://img.ly\""},
        {"bitLyURL", K::Text, "\"https://api-ssl.bitly.com\""},
        {"readabilityURL", K::Text, "\"https://www.readability.com\""},
        {"diigoAPIURL", K::Text, "\"https://secure.diigo.com\""},
        {"pinboardAPIURL", K::Text, "\"https://api.pinboard.in\""},
        {"instapaperURL", K::Text, "\"https://www.instapaper.com\""},
        {"readItLaterURL", K::Text, "\"https://readitlaterlist.com\""},
        {"googleReaderURL", K::Text, "\"https://www.google.com\""},
        {"googleReaderSecureURL", K::Text, "\"https://www.google.com\""},
    };
    auto configurator = DefaultSHKConfigurator::create();
    std::vector<std::string> keys;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        keys.push_back(row.key);
        EXPECT_EQ(configurator->kindForKey(row.key), row.kind);
        EXPECT_EQ(describe(*configurator, row.key), row.value);
    }
    EXPECT_EQ(configurator->keys(), keys);
}

TEST_F(Configuration, VelmoOverridesFiveKeysAndKeepsEveryOtherDefault)
{
    auto defaults = DefaultSHKConfigurator::create();
    auto velmo = VelmoSHKConfigurator::create();
    const std::map<std::string, std::string> overridden = {
        {"autoOrderFavoriteSharers", "false"},
        {"defaultFavoriteURLSharers", "(\"SHKFacebook\", \"SHKTwitter\", \"SHKTextMessage\")"},
        {"showActionSheetMoreButton", "true"},
        {"favsPrefixKey", "\"VELMO_FAVS_\""},
        {"facebookAppId", "\"513907246831560\""},
    };
    ASSERT_EQ(velmo->keys(), defaults->keys());
    for (const auto& key : velmo->keys()) {
        SCOPED_TRACE(key);
        auto found = overridden.find(key);
        EXPECT_EQ(describe(*velmo, key),
                  found != overridden.end() ? found->second : describe(*defaults, key));
        EXPECT_EQ(velmo->kindForKey(key), defaults->kindForKey(key));
    }
}

TEST_F(Configuration, SettingsOverrideAnswersOfTheirKind)
{
    struct Row
    {
        const char* key;
        ns::Id value;
        std::string shown;  // the answer afterwards
        std::string reason; // empty when taken
    };
    const Row rows[] = {
        {"twitterAPIURL", text("http://127.0.0.1:8080"), "\"http://127.0.0.1:8080\"", ""},
        {"allowOffline", ns::Number::numberWithBool(false), "false", ""},
        {"allowOffline", ns::Number::numberWithInt(1), "true", ""},
        {"maxFavCount", ns::Number::numberWithInt(5), "5", ""},
        {"formFontColor", text("#ff000080"), "#ff000080", ""},
        {"formFontColor", text("#00FF00"), "#00ff00ff", ""},
        {"formBackgroundColor",
         ns::Array::make({ns::Number::numberWithDouble(0), ns::Number::numberWithDouble(0),
                          ns::Number::numberWithDouble(1)}),
         "#0000ffff", ""},
        {"barTintForView:", text("#102030"), "#102030ff", ""},
        {"formFontColor", text(""), "none", ""},
        {"defaultFavoriteFileSharers", ns::Array::make({text("SHKMail")}), "(\"SHKMail\")", ""},
        {"noSuchKey", text("x"), "none", "\"noSuchKey\" is not a configuration key"},
        {"maxFavCount", text("5"), "3", "\"maxFavCount\" takes a number, not a text"},
        {"appName", ns::Number::numberWithBool(true), "\"My App Name\"",
         "\"appName\" takes a text, not a boolean"},
        {"defaultFavoriteFileSharers", ns::Array::make({ns::Number::numberWithInt(1)}),
         "(\"SHKMail\", \"SHKEvernote\")",
         "\"defaultFavoriteFileSharers\" takes an array of texts, not an array"},
        {"formFontColor", text("red"), "none", "\"formFontColor\" takes a colour"},
        {"formFontColor",
         ns::Array::make(
             {ns::Number::numberWithInt(2), ns::Number::numberWithInt(0), ns::Number::numberWithInt(0)}),
         "none", "\"formFontColor\" takes a colour"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + row.shown);
        auto configurator = VelmoSHKConfigurator::create();
        std::string reason;
        EXPECT_EQ(configurator->setValueForKey(row.key, row.value, &reason), row.reason.empty());
        EXPECT_EQ(reason.substr(0, row.reason.size()), row.reason);
        EXPECT_EQ(describe(*configurator, row.key), row.shown);
    }

    // A whole settings dictionary: the good entries are taken, the others reported.
    auto configurator = VelmoSHKConfigurator::create();
    auto reasons = configurator->applyOverrides(*ns::Dictionary::withStrings({
        {"favsPrefixKey", text("MINE_")},
        {"unknownKey", text("x")},
        {"maxFavCount", text("many")},
        {"twitterConsumerKey", text("ck")},
    }));
    EXPECT_EQ(reasons, (std::vector<std::string>{"\"unknownKey\" is not a configuration key",
                                                 "\"maxFavCount\" takes a number, not a text"}));
    EXPECT_EQ(describe(*configurator, "favsPrefixKey"), "\"MINE_\"");
    EXPECT_EQ(describe(*configurator, "twitterConsumerKey"), "\"ck\"");
    EXPECT_EQ(describe(*configurator, "maxFavCount"), "3");
    EXPECT_FALSE(configurator->respondsToKey("unknownKey"));
}

TEST_F(Configuration, TheSharerListNamesThisApplicationsFavourites)
{
    auto velmo = VelmoSHKConfigurator::create();
    auto name = velmo->valueForKey("sharersPlistName");
    auto list = ns::cast<ns::Dictionary>(ns::PropertyList::propertyListWithContentsOfFile(
        std::string(VELMO_RESOURCES) + "/" + *ns::stringValue(name)));
    ASSERT_TRUE(list);
    std::vector<ns::Id> named;
    for (const char* category : {"actions", "services"}) {
        auto sharers = list->objectAs<ns::Array>(category);
        ASSERT_TRUE(sharers) << category;
        for (const auto& id : *sharers) {
            ASSERT_TRUE(ns::stringValue(id));
            named.push_back(id);
        }
    }
    for (const auto& favourite : *ns::cast<ns::Array>(velmo->valueForKey("defaultFavoriteURLSharers")))
        EXPECT_NE(std::find_if(named.begin(), named.end(),
                               [&](const ns::Id& id) { return ns::isEqual(id, favourite); }),
                  named.end())
            << ns::describe(favourite);
}

} // namespace
