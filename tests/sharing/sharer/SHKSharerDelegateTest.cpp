#include "sharing/sharer/SHKSharerDelegate.h"
#include "foundation/Error.h"
#include "sharing/core/SHK.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/support/TestSharer.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "uikit/AlertView.h"
#include "uikit/Label.h"

#include <gtest/gtest.h>

namespace {

class DefaultDelegate : public SharerFixture
{
protected:
    // The overlay's text while it is on screen, or nothing.
    std::optional<std::string> overlayText()
    {
        auto overlay = SHKActivityIndicator::currentIndicator();
        if (!overlay->superview() || overlay->alpha() == 0 || !overlay->subMessageLabel())
            return std::nullopt;
        return overlay->subMessageLabel()->text();
    }

    bool loginShown(const ns::Ref<SHKSharer>& sharer)
    {
        auto form = ns::cast<SHKFormController>(sharer->topViewController());
        return SHK::currentHelper()->currentView() == sharer && form && form->title() == "Login";
    }
};

TEST_F(DefaultDelegate, TheOverlayShowsSavingThenSaved)
{
    auto sharer = TestSharer::create();
    auto delegate = SHKSharerDelegate::create();
    delegate->sharerStartedSending(*sharer);
    settle();
    EXPECT_EQ(overlayText(), "Saving to Test Service");
    delegate->sharerFinishedSending(*sharer);
    EXPECT_EQ(overlayText(), "Saved!");
    delegate->sharerCancelledSending(*sharer);
    delegate->sharerAuthDidFinish(*sharer, true);
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty());
}

TEST_F(DefaultDelegate, AQuietSharerShowsNothingButAFailureStillHidesTheOverlay)
{
    auto loud = TestSharer::create();
    auto quiet = TestSharer::create();
    quiet->setQuiet(true);
    auto delegate = SHKSharerDelegate::create();
    delegate->sharerStartedSending(*quiet);
    delegate->sharerFinishedSending(*quiet);
    settle();
    EXPECT_EQ(overlayText(), std::nullopt);

    delegate->sharerStartedSending(*loud);
    settle();
    EXPECT_EQ(overlayText(), "Saving to Test Service");
    quiet->setLastError(SHK::errorWithDescription("Refused"));
    delegate->sharerFailedWithError(*quiet, quiet->lastError(), false);
    settle();
    EXPECT_EQ(overlayText(), std::nullopt);
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty());
}

TEST_F(DefaultDelegate, AFailureShowsTheErrorUnlessALoginFollows)
{
    struct Row
    {
        const char* name;
        SHKSharerPendingAction pending;
        bool relogin;
        const char* lastError;
        const char* alert; // nothing: no alert
        bool login;
    };
    const Row rows[] = {
        {"plain failure", SHKAwaitNothing, false, "Refused", "Refused", false},
        {"no error kept", SHKAwaitNothing, false, nullptr, "There was an error while sharing", false},
        {"relogin to share again", SHKAwaitShare, true, "Could not authenticate you. Please relogin.",
         nullptr, true},
        {"relogin to send again", SHKAwaitResend, true, "Could not authenticate you. Please relogin.",
         nullptr, true},
        {"token refresh, no relogin", SHKAwaitTokenRefresh, false, "Expired", "Expired", false},
        {"token refresh with relogin", SHKAwaitTokenRefresh, true, "Expired", "Expired", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui::AlertView::clearShownAlerts();
        auto sharer = TestSharer::create();
        sharer->setPendingAction(row.pending);
        if (row.lastError)
            sharer->setLastError(SHK::errorWithDescription(row.lastError));
        auto delegate = SHKSharerDelegate::create();
        delegate->sharerFailedWithError(*sharer, sharer->lastError(), row.relogin);
        settle();
        auto alerts = ui::AlertView::shownAlerts();
        if (row.alert) {
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0]->title(), "Error");
            EXPECT_EQ(alerts[0]->message(), row.alert);
            EXPECT_EQ(alerts[0]->numberOfButtons(), 1);
            EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "Close");
            alerts[0]->dismissWithClickedButtonIndex(0, false);
        } else {
            EXPECT_TRUE(alerts.empty());
        }
        EXPECT_EQ(loginShown(sharer), row.login);
        if (SHK::currentHelper()->currentView()) {
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            settle();
        }
    }
}

} // namespace
