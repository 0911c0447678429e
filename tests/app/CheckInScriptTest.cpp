// The check-in sharer as the user meets it: velmo runs a script against a fake check-in service on
// 127.0.0.1 that signs the user in, knows one place and counts the check-ins it receives; the device stands
// where --location and the script's "location" put it. What the user sees is read from velmo's dump.
#include "VelmoRun.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace {

using testkit::ScriptedReply;

constexpr const char* kRedirect = "https://velmo.example/foursquare/done";
constexpr const char* kCheckIn = "/v2/checkins/add?oauth_token=TOKEN9&v=20110927&venueId=v1"
                                 "&ll=48.85660,2.35220&llAcc=10.00&alt=0.00&altAcc=-1.00&shout=Bonjour";

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A fake check-in service: every sign-in gives the token TOKEN9; the first `refusals` check-ins are refused
// with 401 (the token no longer counts), the others saved.
struct CheckInService
{
    testkit::LoopbackServer server;
    std::string settings;

    CheckInService(const testkit::TemporaryHome& home, int refusals)
    {
        server.route("/oauth2/authenticate",
                     ScriptedReply::redirect(std::string(kRedirect) + "#access_token=TOKEN9"));
        server.route("/v2/venues/search",
                     ScriptedReply::text(200, R"({"meta":{"code":200},"response":{"venues":[)"
                                              R"({"id":"v1","name":"Cafe de Flore","location":{}}]}})"));
        auto left = std::make_shared<std::atomic<int>>(refusals);
        server.route("/v2/checkins/add", [left](const testkit::RecordedRequest&) {
            if (left->fetch_sub(1) > 0)
                return ScriptedReply::text(
                    401, R"({"meta":{"code":401,"errorType":"invalid_auth","errorDetail":"expired"}})");
            return ScriptedReply::text(200, R"({"meta":{"code":200},"response":{}})");
        });
        EXPECT_TRUE(server.start());
        settings = settingsFile(home, {{"foursquareV2APIURL", server.baseURL()},
                                       {"foursquareV2WebURL", server.baseURL()},
                                       {"foursquareV2ClientId", "CLIENT"},
                                       {"foursquareV2RedirectURI", kRedirect}});
    }

    std::size_t count(const std::string& path) const
    {
        std::size_t n = 0;
        for (const auto& request : server.requests())
            n += request.path == path;
        return n;
    }
    std::size_t checkIns() const { return count("/v2/checkins/add"); }
};

VelmoRun runCheckIn(const testkit::TemporaryHome& home, const CheckInService& service,
                    const std::string& script, const std::string& location = "--location 48.8566,2.3522")
{
    return runScript(
        home, script,
        {.config = service.settings, .options = "--web network " + location, .name = "checkin.script"});
}

// What the script's one "dump" showed: every window, in the order the application lists them.
std::string screenOf(const VelmoRun& run)
{
    return run.out;
}

// Back from the form to the list and a place picked again, and a check-in refused because the token no
// longer counts: each road checks in once, and leaves the board with no form, list or sign-in view.
TEST(CheckInScript, EachRoadToACheckInSendsItOnceAndClosesEveryScreen)
{
    struct Row
    {
        const char* name;
        int refusals;
        const char* between; // what the user does between picking a place and pressing Check In
        std::size_t signIns, searches, checkIns;
    };
    const Row rows[] = {
        // Back on the list, the places are looked up again around the position found anew.
        {"back and a place picked again", 0, "press Nearby Places\nwait 20\npress Cafe de Flore\nwait 1\n", 1,
         2, 1},
        // The refused one, then the one resent after the second sign-in.
        {"refused, then signed in again", 1, "", 2, 1, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::TemporaryHome home;
        CheckInService service(home, row.refusals);
        VelmoRun run = runCheckIn(
            home, service,
            std::string("sharetext SHKFoursquareV2 Bonjour\nwait 20\npress Cafe de Flore\nwait 1\n") +
                row.between + "press Check In\nawait Saved!\nwait 5\ndump\n");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(service.count("/oauth2/authenticate"), row.signIns);
        EXPECT_EQ(service.count("/v2/venues/search"), row.searches);
        EXPECT_EQ(service.checkIns(), row.checkIns);
        ASSERT_FALSE(service.server.requests().empty());
        EXPECT_EQ(service.server.requests().back().target, kCheckIn);
        std::string screen = screenOf(run);
        for (const char* gone :
             {"\"Check In\"", "\"Nearby Places\"", "UITextView", "UIWebView", "\"Cancel\""})
            EXPECT_FALSE(contains(screen, gone)) << gone << " in\n" << screen;
    }
}

// A device that finds no position (services on, no fix), and one whose location services go off while
// the list waits for a position.
TEST(CheckInScript, APositionThatCannotBeFoundIsToldAndTheOverlayGoes)
{
    struct Row
    {
        const char* name;
        const char* script;
    };
    const Row rows[] = {
        {"no fix", "sharetext SHKFoursquareV2 Bonjour\nwait 60\ndump\n"},
        {"services off", "sharetext SHKFoursquareV2 Bonjour\nwait 5\nlocation off\nwait 2\ndump\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::TemporaryHome home;
        CheckInService service(home, 0);
        VelmoRun run = runCheckIn(home, service, row.script, "");
        ASSERT_EQ(run.status, 0) << run.err;
        std::string screen = screenOf(run);
        EXPECT_TRUE(contains(screen, "\"Your location could not be determined.\"")) << screen;
        EXPECT_TRUE(contains(screen, "\"Error\"")) << screen;
        EXPECT_FALSE(contains(screen, "Determine your location...")) << screen;
        // No place was searched for without a position.
        EXPECT_EQ(service.count("/v2/venues/search"), 0u);
    }
}

} // namespace
