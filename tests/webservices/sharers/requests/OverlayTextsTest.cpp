// What the progress overlay tells the user while a sharer waits for its service, read off the screen.
#include "ServiceSharerFixture.h"

#include "system/Location.h"
#include "uikit/Device.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class OverlayTexts : public ServiceSharerFixture
{
protected:
    OverlayTexts()
    {
        // The service the shortened share then signs in to is the fake too: a sign-in to a real host
        // would answer, with an alert, in whichever test runs next.
        startService(
            {"pinboardAPIURL", "foursquareV2APIURL", "foursquareV2WebURL", "bitLyURL", "twitterAPIURL"});
        cl::LocationManager::resetDevice();
        ui::Device::currentDevice()->setSystemVersion("4.2");
    }
    ~OverlayTexts() override { cl::LocationManager::resetDevice(); }
};

TEST_F(OverlayTexts, EachSharerNamesWhatItWaitsForUntilTheReplyComes)
{
    struct Row
    {
        const char* name;
        const char* path;
        const char* reply;
        std::function<void()> start;
        const char* shown;
    };
    const Row rows[] = {
        {"a login check", "/v1/posts/get", "<posts/>",
         [this] {
             auto sharer = SHKSharer::shareItem("SHKPinboard", urlItem());
             settle();
             logIn(shownForm(sharer), "bob", "secret");
         },
         "Logging In..."},
        {"a search for places", "/v2/venues/search", R"({"meta":{"code":200},"response":{"venues":[]}})",
         [this] {
             SHK::setAuthValue("T", "accessToken", "SHKFoursquareV2");
             SHKSharer::shareText("SHKFoursquareV2", "here");
             settle();
             cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{48.8566, 2.3522});
         },
         "Searching places..."},
        {"a shortened address", "/v3/shorten", "http://bit.ly/x",
         [this] {
             configure("bitLyLogin", ns::String::make("velmo"));
             configure("bitLyKey", ns::String::make("R_key"));
             // Signed in, so that once the address is short the composer shows and nothing more goes out:
             // a sign-in still under way would fail with its alert in the next test.
             SHK::setAuthValue("k", "accessKey", "SHKTwitter");
             SHK::setAuthValue("s", "accessSecret", "SHKTwitter");
             SHKSharer::shareItem("SHKTwitter", urlItem());
         },
         "Shortening URL..."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        // A real second, so that what the screen shows meanwhile can be read.
        server.route(row.path, slowReply(200, row.reply, 1));
        row.start();
        driver.advance(0.35); // the overlay has faded in
        EXPECT_TRUE(driver.showsText(row.shown));
        // The overlay goes once the reply has been handled.
        EXPECT_TRUE(waitFor([&] { return server.requestCount() >= 1 && !driver.showsText(row.shown); }));
        endPresentations();
    }
}

} // namespace
