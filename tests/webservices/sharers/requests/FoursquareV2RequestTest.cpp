// The check-in service's requests, replies and place records, against a fake service on 127.0.0.1.
#include "ServiceSharerFixture.h"

#include "foundation/Array.h"
#include "foundation/Date.h"
#include "system/Location.h"
#include "testing/ClosedPort.h"
#include "testing/TestTools.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Error.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Request.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"
#include "webservices/strictjson/StrictJSON.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

using testkit::ScriptedReply;

// Collects the finished requests.
class Finished : public ns::Object
{
public:
    void done(SHKRequest& request) { requests.push_back(&request); }
    std::vector<SHKRequest*> requests;
};

class FoursquareRequest : public ServiceSharerFixture
{
protected:
    FoursquareRequest()
    {
        startService({"foursquareV2APIURL"});
        finished = ns::make<Finished>();
    }

    SHKRequestSelector selector() { return SHKRequestFinishSelector(&Finished::done); }
    bool waitForFinish(std::size_t count)
    {
        return waitFor([&] { return finished->requests.size() >= count; });
    }
    static ns::Ref<cl::Location> paris()
    {
        return cl::Location::create(cl::LocationCoordinate2D{48.8566123, 2.3522219}, 35.456, 65.004, 12.345,
                                    nullptr);
    }

    ns::Ref<Finished> finished;
};

TEST_F(FoursquareRequest, AVenueSearchCarriesTokenVersionPositionAndQuery)
{
    server.route("/v2/venues/search",
                 ScriptedReply::text(200, R"({"meta":{"code":200},"response":{"venues":[]}})"));
    // Under a comma-decimal locale the numbers still carry a point.
    testkit::LocaleScope comma("de_DE.UTF-8");
    struct Row
    {
        const char* name;
        ns::Ref<cl::Location> location;
        std::optional<std::string> query;
        std::string query_string;
    } rows[] = {
        {"no fix yet: zeros", nullptr, std::nullopt,
         "oauth_token=T0K&v=20110927&ll=0.00000,0.00000&llAcc=0.00&alt=0.00&altAcc=0.00"},
        {"a fix, five and two decimals with a point", paris(), std::nullopt,
         "oauth_token=T0K&v=20110927&ll=48.85661,2.35222&llAcc=65.00&alt=35.46&altAcc=12.35"},
        {"a query with a space and an accented letter", nullptr, std::string("Café de Flore"),
         "oauth_token=T0K&v=20110927&ll=0.00000,0.00000&llAcc=0.00&alt=0.00&altAcc=0.00"
         "&query=Caf%C3%A9%20de%20Flore"},
        {"reserved characters in the query", paris(), std::string("a&b=c+d/é?"),
         "oauth_token=T0K&v=20110927&ll=48.85661,2.35222&llAcc=65.00&alt=35.46&altAcc=12.35"
         "&query=a%26b%3Dc%2Bd%2F%C3%A9%3F"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        finished->requests.clear();
        auto request = SHKFoursquareV2Request::requestVenuesSearchLocation(row.location, row.query, finished,
                                                                           selector(), "T0K", true);
        ASSERT_TRUE(waitForFinish(1));
        auto seen = server.lastRequest();
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->method, "GET");
        EXPECT_EQ(seen->path, "/v2/venues/search");
        EXPECT_EQ(seen->query, row.query_string);
        EXPECT_TRUE(request->success());
        EXPECT_FALSE(request->getFoursquareError());
    }
    // Without the locale the rows above checked no comma: the run must say so.
    VELMO_REQUIRE_TOOL(comma.active(), testkit::TestTools::germanLocaleHint());
}

TEST_F(FoursquareRequest, ACheckInPostsAnEmptyBodyAndAShoutOnlyWithAMessage)
{
    server.route("/v2/checkins/add", ScriptedReply::text(201, R"({"meta":{"code":200},"response":{}})"));
    auto venue = SHKFoursquareV2Venue::create();
    venue->setVenueId("4b0588f1f964a52034d622e3");
    struct Row
    {
        const char* name;
        std::optional<std::string> message;
        std::string tail;
    } rows[] = {
        {"no message", std::nullopt, ""},
        {"an empty message", std::string(), ""},
        {"a message", std::string("Coffee & croissants, 2 € #paris"),
         "&shout=Coffee%20%26%20croissants%2C%202%20%E2%82%AC%20%23paris"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        finished->requests.clear();
        auto request = SHKFoursquareV2Request::requestCheckinLocation(paris(), venue, row.message, finished,
                                                                      selector(), "T0K", true);
        ASSERT_TRUE(waitForFinish(1));
        auto seen = server.lastRequest();
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->method, "POST");
        EXPECT_EQ(seen->path, "/v2/checkins/add");
        std::string expected = "oauth_token=T0K&v=20110927&venueId=4b0588f1f964a52034d622e3"
                               "&ll=48.85661,2.35222&llAcc=65.00&alt=35.46&altAcc=12.35";
        expected += row.tail;
        EXPECT_EQ(seen->query, expected);
        EXPECT_EQ(seen->body, "");
        EXPECT_TRUE(request->success()) << "201 counts as success";
    }
}

TEST_F(FoursquareRequest, TheEnvelopeDecidesTheError)
{
    struct Row
    {
        const char* name;
        int status;
        std::string body;
        bool failed;
        long code;
        std::string description;
        std::optional<std::string> errorType;
        bool hasMeta;
        bool relogin;
    } rows[] = {
        {"success", 200, R"({"meta":{"code":200},"response":{"venues":[]}})", false, 0, "", {}, true, false},
        {"refused token", 401,
         R"({"meta":{"code":401,"errorType":"invalid_auth","errorDetail":"OAuth token invalid"},"response":{}})",
         true, 401, "Could not authenticate you. Please relogin.", "invalid_auth", true, true},
        {"a code but no error type",
         400,
         R"({"meta":{"code":400},"response":{}})",
         true,
         400,
         "There was an error while sharing",
         {},
         true,
         false},
        {"the code as a text", 429, R"({"meta":{"code":"429","errorType":"rate_limit_exceeded"}})", true, 429,
         "There was an error while sharing", "rate_limit_exceeded", true, false},
        {"meta code 401 under another status",
         403,
         R"({"meta":{"code":401}})",
         true,
         401,
         "Could not authenticate you. Please relogin.",
         {},
         true,
         true},
        {"an HTML page",
         500,
         "<html><body>Service Unavailable</body></html>",
         true,
         0,
         "There was an error while sharing",
         {},
         false,
         false},
        {"JSON that is not an object",
         502,
         "[1,2,3]",
         true,
         0,
         "There was an error while sharing",
         {},
         false,
         false},
        {"meta that is not an object",
         400,
         R"({"meta":[401]})",
         true,
         0,
         "There was an error while sharing",
         {},
         false,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.route("/v2/users/self", ScriptedReply::text(row.status, row.body));
        finished->requests.clear();
        auto request =
            SHKFoursquareV2Request::requestProfileForUserId("self", finished, selector(), "T0K", true);
        ASSERT_TRUE(waitForFinish(1));
        EXPECT_EQ(server.lastRequest()->target, "/v2/users/self?oauth_token=T0K&v=20110927");
        auto error = request->getFoursquareError();
        ASSERT_EQ(bool(error), row.failed);
        if (!error)
            continue;
        EXPECT_EQ(error, request->getFoursquareError()) << "made once";
        EXPECT_EQ(error->domain(), SHKFoursquareV2ErrorDomain);
        EXPECT_EQ(error->code(), row.code);
        EXPECT_EQ(error->localizedDescription(), row.description);
        auto info = error->userInfo();
        ASSERT_TRUE(info);
        EXPECT_EQ(info->stringForKey(SHKFoursquareV2ErrorTypeKey), row.errorType);
        EXPECT_EQ(bool(info->objectForKey(SHKFoursquareV2MetaKey)), row.hasMeta);
        EXPECT_EQ(getFoursquareRelogin(error), row.relogin);
    }
}

TEST_F(FoursquareRequest, AFailedConnectionHasNoMeta)
{
    testkit::ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    std::string base = "http://127.0.0.1:";
    base += std::to_string(closed.port());
    configure("foursquareV2APIURL", ns::String::make(base));
    auto request = SHKFoursquareV2Request::requestVenuesSearchLocation(nullptr, std::nullopt, finished,
                                                                       selector(), "T0K", true);
    ASSERT_TRUE(waitForFinish(1));
    auto error = request->getFoursquareError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 0);
    EXPECT_EQ(error->localizedDescription(), "There was an error while sharing");
    EXPECT_FALSE(getFoursquareRelogin(error));
    EXPECT_FALSE(getFoursquareRelogin(ns::Error::make("other", 401)));
}

TEST_F(FoursquareRequest, APlaceRecordTakesTheIconOfThePrimaryCategory)
{
    struct Row
    {
        const char* name;
        std::string json;
        std::optional<std::string> id, venueName, address, icon;
    } rows[] = {
        {"a full record",
         R"({"id":"v1","name":"Café","location":{"address":"1 Rue"},"categories":[{"primary":false,"icon":"a.png"},{"primary":true,"icon":"b.png"},{"primary":true,"icon":"c.png"}]})",
         "v1", "Café", "1 Rue", "b.png"},
        {"no primary category",
         R"({"id":"v2","name":"N","location":{"address":"A"},"categories":[{"icon":"a.png"}]})",
         "v2",
         "N",
         "A",
         {}},
        {"no location", R"({"id":"v3","name":"N"})", "v3", "N", {}, {}},
        {"an icon in two halves",
         R"({"id":"v4","categories":[{"primary":true,"icon":{"prefix":"https://x/i_","suffix":".png"}}]})",
         "v4",
         {},
         {},
         "https://x/i_.png"},
        {"values of other kinds",
         R"({"id":7,"name":null,"location":"here","categories":{"primary":true}})",
         {},
         {},
         {},
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto parsed = ns::cast<ns::Dictionary>(ns::make<StrictJSON>()->objectWithString(row.json));
        ASSERT_TRUE(parsed);
        auto venue = SHKFoursquareV2Venue::venueFromDictionary(parsed);
        EXPECT_EQ(venue->venueId(), row.id);
        EXPECT_EQ(venue->name(), row.venueName);
        EXPECT_EQ(venue->address(), row.address);
        EXPECT_EQ(venue->icon(), row.icon);
    }
    auto reply = SHKFoursquareV2Request::resultFromText(
        std::string(R"({"response":{"venues":[{"id":"a"},3,"x",{"id":"b"}]}})"));
    auto venues = SHKFoursquareV2Venue::venuesFromResponse(reply->objectAs<ns::Dictionary>("response"));
    ASSERT_EQ(venues.size(), 2u);
    EXPECT_EQ(venues[0]->venueId(), "a");
    EXPECT_EQ(venues[1]->venueId(), "b");
}

TEST_F(FoursquareRequest, TheRedirectFragmentGivesItsPairsAsTheyCame)
{
    struct Row
    {
        const char* name;
        std::string address;
        std::vector<std::pair<std::string, std::string>> pairs; // empty with `none`
        bool none;
    } rows[] = {
        {"a token", "http://127.0.0.1:9/cb#access_token=ABC", {{"access_token", "ABC"}}, false},
        {"escapes stay",
         "http://127.0.0.1:9/cb#access_token=A%2FB&x=1",
         {{"access_token", "A%2FB"}, {"x", "1"}},
         false},
        {"two equals signs or none are skipped", "http://127.0.0.1:9/cb#a=b=c&flag&k=", {{"k", ""}}, false},
        {"no fragment", "http://127.0.0.1:9/cb?access_token=ABC", {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto url = ns::URL::withString(row.address);
        ASSERT_TRUE(url);
        auto pairs = SHKFoursquareV2OAuthView::fragmentParameters(*url);
        if (row.none) {
            EXPECT_FALSE(pairs);
            continue;
        }
        ASSERT_TRUE(pairs);
        EXPECT_EQ(pairs->count(), row.pairs.size());
        for (const auto& [name, value] : row.pairs)
            EXPECT_EQ(pairs->stringForKey(name), value);
    }
}

} // namespace
