// How long each service sharer's request waits for its service and what it takes from a cache, read from
// the request the sharer has out while its fake does not answer.
#include "ServiceSharerFixture.h"

#include "foundation/URLConnection.h"
#include "foundation/URLLoader.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "uikit/AlertView.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using testkit::ScriptedReply;

class RequestConstants : public ServiceSharerFixture
{
protected:
    RequestConstants() { startService({"pinboardAPIURL", "googleReaderSecureURL", "bitLyURL"}); }

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

TEST_F(RequestConstants, EachServiceRequestWaitsNinetySecondsAndTakesNothingFromACache)
{
    struct Row
    {
        const char* name;
        const char* path;
        std::function<ns::Ref<SHKSharer>()> start;
    };
    const Row rows[] = {
        {"a bookmarking login check", "/v1/posts/get",
         [this] {
             auto sharer = SHKSharer::shareItem("SHKPinboard", urlItem());
             settle();
             logIn(sharer);
             return sharer;
         }},
        {"a feed-reader sign-in", "/accounts/ClientLogin",
         [this] {
             auto sharer = SHKSharer::shareItem("SHKGoogleReader", urlItem());
             settle();
             logIn(sharer);
             return sharer;
         }},
        {"an address shortening", "/v3/shorten",
         [this] {
             configure("bitLyLogin", ns::String::make("velmo"));
             configure("bitLyKey", ns::String::make("R_key"));
             return SHKSharer::shareItem("SHKTwitter", urlItem());
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        server.route(row.path, ScriptedReply::stalled());
        auto sharer = row.start();
        ASSERT_TRUE(sharer);
        ASSERT_TRUE(waitForRequests(1));
        auto request = sharer->request();
        ASSERT_TRUE(request && request->connection());
        auto sent = request->connection()->originalRequest();
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->timeoutInterval(), 90);
        EXPECT_EQ(sent->cachePolicy(), ns::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData);
        // The request waits out its ninety seconds on the clock, and then ends.
        auto loader = ns::URLLoader::forCurrentThread();
        driver.advance(85);
        EXPECT_FALSE(loader->isIdle());
        driver.advance(10);
        EXPECT_TRUE(waitFor([&] { return loader->isIdle(); }));
        // The user closes what the failure put up.
        for (const auto& alert : ui::AlertView::shownAlerts())
            if (alert->isVisible())
                alert->tapButtonAtIndex(alert->cancelButtonIndex());
        ui::AlertView::clearShownAlerts();
        endPresentations();
    }
}

} // namespace
