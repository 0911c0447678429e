// What the progress overlay tells the user while a sharer waits for its service, read off the screen.
#include "ServiceSharerFixture.h"

#include "sharing/ui/SHKFormFieldCell.h"
#include "system/Location.h"
#include "uikit/Device.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using testkit::ScriptedReply;

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

    // A reply that takes a real second, so that what the screen shows meanwhile can be read.
    static ScriptedReply slow(int status, std::string body)
    {
        auto reply = ScriptedReply::text(status, std::move(body));
        reply.delay = 1;
        return reply;
    }

    // Fills the login form on screen and presses Login.
    void logIn(const ns::Ref<SHKSharer>& sharer)
    {
        auto form = shownForm(sharer);
        ASSERT_TRUE(form);
        ASSERT_TRUE(driver.type("bob"));
        auto cell = ns::cast<SHKFormFieldCell>(form->tableView()->cellForRowAtIndexPath(ns::IndexPath(0, 1)));
        ASSERT_TRUE(cell && cell->textField());
        cell->textField()->becomeFirstResponder();
        ASSERT_TRUE(driver.type("secret"));
        ASSERT_TRUE(driver.press("Login"));
    }
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
             logIn(sharer);
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
             SHKSharer::shareItem("SHKTwitter", urlItem());
         },
         "Shortening URL..."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        server.route(row.path, slow(200, row.reply));
        row.start();
        driver.advance(0.35); // the overlay has faded in
        EXPECT_TRUE(driver.showsText(row.shown));
        // The overlay goes once the reply has been handled.
        EXPECT_TRUE(waitFor([&] { return server.requestCount() >= 1 && !driver.showsText(row.shown); }));
        endPresentations();
    }
}

} // namespace
