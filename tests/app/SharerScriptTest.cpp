// A web-service sharer driven as a user drives it: velmo runs a script against a fake bookmarking service
// on 127.0.0.1 (over HTTPS, its authority trusted for the run), named in the device's settings file.
#include "VelmoRun.h"
#include "foundation/Base64.h"
#include "foundation/FileManager.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

TEST(SharerScript, TheLoginFormTheShareFormAndTheBookmarkReachTheService)
{
    testkit::TemporaryHome home;
    std::string tls = VELMO_FIXTURES;
    tls += "/network/tls/";
    testkit::LoopbackServer server;
    ASSERT_TRUE(server.startTLS(tls + "server-certificate.pem", tls + "server-key.pem"));
    server.route("/v1/posts/get", ScriptedReply::text(200, "<posts/>"));
    server.route("/v1/posts/add", ScriptedReply::text(200, "<result code=\"done\"/>"));

    std::string settings = home.file("settings.plist");
    std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>"
                        "pinboardAPIURL</key><string>";
    plist += server.baseURL();
    plist += "</string></dict>\n</plist>\n";
    ASSERT_TRUE(ns::FileManager::writeAtomically(settings, plist));

    // The login form: the user name has the caret; a tap moves it to the password. The share form: the
    // "Shared" switch is turned on beside its label. "wait" lets the replies arrive.
    std::string script = home.file("share.script");
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        script, std::string(R"(share SHKPinboard http://example.com/page?a=1 A page
wait 1
type bob
tap 207 141
type pa/ss:1
shot login
press Login
wait 20
shot share
press Shared
press Send to Pinboard
wait 20
)")));
    std::string shots = home.file("shots");
    ASSERT_TRUE(ns::FileManager::createDirectoryAtPath(shots, true));
    std::string arguments = "--config '";
    arguments += settings;
    arguments += "' --trust-ca '";
    arguments += tls;
    arguments += "ca.pem' --shots '";
    arguments += shots;
    arguments += "' --script '";
    arguments += script;
    arguments += "'";
    VelmoRun run = velmo(home, arguments);
    ASSERT_EQ(run.status, 0) << run.err;

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    std::string basic = "Basic ";
    basic += ns::base64Encode(std::string_view("bob:pa/ss:1"));
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/v1/posts/get");
    EXPECT_EQ(requests[0].header("Authorization"), basic);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target,
              "/v1/posts/add?url=http%3A%2F%2Fexample.com%2Fpage%3Fa%3D1&description=A%20page"
              "&tags=&extended=&shared=yes");
    EXPECT_EQ(requests[1].header("Authorization"), basic);
    // Pictures of the two forms as the user saw them.
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(shots + "/login.png"));
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(shots + "/share.png"));
}

} // namespace
