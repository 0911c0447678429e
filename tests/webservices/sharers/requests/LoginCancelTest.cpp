// Cancel on the login form of the sharers that check the login over the network, while the check runs.
#include "ServiceSharerFixture.h"

#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/Label.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class LoginCancel : public ServiceSharerFixture
{
protected:
    LoginCancel()
    {
        startService({"diigoAPIURL", "pinboardAPIURL", "instapaperURL", "readItLaterURL", "googleReaderURL",
                      "googleReaderSecureURL"});
    }
};

TEST_F(LoginCancel, TheLateAnswerOfTheCheckStoresNothingAndShowsNothing)
{
    struct Row
    {
        const char* sharer;
        const char* checkPath;
        const char* reply;
        const char* userKey;
    } rows[] = {
        {"SHKDiigo", "/api/v2/bookmarks", "[]", "username"},
        {"SHKPinboard", "/v1/posts/get", "<posts/>", "username"},
        {"SHKInstapaper", "/api/authenticate", "OK", "username"},
        {"SHKReadItLater", "/v2/auth", "OK", "username"},
        {"SHKGoogleReader", "/accounts/ClientLogin", "SID=s\nAuth=a\n", "email"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sharer);
        ui::AlertView::clearShownAlerts();
        server.clearRequests();
        server.route(row.checkPath, slowReply(200, row.reply, 0.5));
        ReportLines log;
        auto sharer = SHKSharer::shareItem(row.sharer, urlItem());
        settle();
        ASSERT_NO_FATAL_FAILURE(logIn(shownForm(sharer), "bob", "pw"));
        ASSERT_TRUE(waitFor([&] { return server.requestCount() >= 1; }));
        auto overlay = SHKActivityIndicator::currentIndicator();
        ASSERT_TRUE(overlay->subMessageLabel());
        EXPECT_EQ(overlay->subMessageLabel()->text(), "Logging In...");
        ASSERT_TRUE(driver.press("Cancel"));

        // Long enough for the answer to have come, had the check still been listening.
        auto cancelled = std::chrono::steady_clock::now();
        waitFor([&] { return std::chrono::steady_clock::now() - cancelled > std::chrono::seconds(1); });
        settle();
        EXPECT_EQ(log.lines, (std::vector<std::string>{"cancelled"}));
        EXPECT_EQ(server.requestCount(), 1u);
        EXPECT_EQ(SHK::getAuthValueForKey(row.userKey, row.sharer), std::nullopt);
        EXPECT_EQ(SHK::getAuthValueForKey("password", row.sharer), std::nullopt);
        EXPECT_EQ(alertTexts(), std::vector<std::string>{});
        EXPECT_FALSE(shownForm(sharer));
        EXPECT_FALSE(overlay->superview());
        EXPECT_EQ(sharer->request(), nullptr);
    }
}

} // namespace
