#include "BoardFixture.h"

#include "board/BoardSettings.h"
#include "board/RatingPrompt.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Thread.h"
#include "foundation/UserDefaults.h"
#include "system/Reachability.h"
#include "testing/LoopbackServer.h"

namespace {

constexpr double Day = 86400;

class RatingPromptTest : public BoardFixture
{
protected:
    RatingPromptTest()
    {
        m_probe.route("/probe", testkit::ScriptedReply::text(200, "ok"));
        m_probe.start();
        m_savedProbe = BoardSettings::shared().probePage;
        BoardSettings::shared().probePage = m_probe.url("/probe");
        RatingPrompt::setReachabilityReader(
            [] { return std::optional<uint32_t>(net::kSCNetworkReachabilityFlagsReachable); });
    }
    ~RatingPromptTest() override
    {
        RatingPrompt::setReachabilityReader(nullptr);
        BoardSettings::shared().probePage = m_savedProbe;
    }

    // One launch, counted on the prompt's own thread; true when the alert was put on screen.
    bool launch()
    {
        ui::AlertView::clearShownAlerts();
        RatingPrompt::appLaunched();
        ns::RunLoop::main().runUntil([] { return ns::Thread::runningDetachedThreads() == 0; }, 10);
        ns::RunLoop::main().runOnce(0);
        return !ui::AlertView::shownAlerts().empty();
    }

    ns::Ref<ns::UserDefaults> defaults() { return ns::UserDefaults::standard(); }

    testkit::LoopbackServer m_probe;
    std::string m_savedProbe;
};

TEST_F(RatingPromptTest, TheAlertShowsOnlyWhenEveryConditionHolds)
{
    struct Row
    {
        const char* name;
        int usesBefore;        // counted launches before the one under test
        double daysSinceFirst; // when the one under test happens
        std::function<void(ns::UserDefaults&, double now)> arrange;
        std::optional<uint32_t> flags;
        bool probeWorks;
        bool shows;
    };
    const uint32_t reachable = net::kSCNetworkReachabilityFlagsReachable;
    const Row rows[] = {
        {"20th use", 19, 16, nullptr, reachable, true, false},
        {"21st use", 20, 16, nullptr, reachable, true, true},
        {"15 days less a second", 20, 15 - 1.0 / Day, nullptr, reachable, true, false},
        {"15 days and a second", 20, 15 + 1.0 / Day, nullptr, reachable, true, true},
        {"declined", 20, 16,
         [](ns::UserDefaults& d, double) { d.setBool(true, "kRatingPromptDeclinedToRate"); }, reachable, true,
         false},
        {"rated", 20, 16,
         [](ns::UserDefaults& d, double) { d.setBool(true, "kRatingPromptRatedCurrentVersion"); }, reachable,
         true, false},
        {"reminded a day less a second ago", 20, 16,
         [](ns::UserDefaults& d, double now) {
             d.setDouble(now - Day + 1, "kRatingPromptReminderRequestDate");
         },
         reachable, true, false},
        {"reminded a day and a second ago", 20, 16,
         [](ns::UserDefaults& d, double now) {
             d.setDouble(now - Day - 1, "kRatingPromptReminderRequestDate");
         },
         reachable, true, true},
        {"flags unreadable", 20, 16, nullptr, std::nullopt, true, false},
        {"unreachable", 20, 16, nullptr, 0u, true, false},
        {"connection required", 20, 16, nullptr,
         reachable | net::kSCNetworkReachabilityFlagsConnectionRequired, true, false},
        {"transient", 20, 16, nullptr, net::kSCNetworkReachabilityFlagsTransientConnection, true, true},
        {"probe cannot be made", 20, 16, nullptr, reachable, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        double start = clock.clock().now();
        auto d = defaults();
        d->removeObjectForKey("kRatingPromptCurrentVersion");
        d->setObject(ns::String::make("1.0"), "kRatingPromptCurrentVersion");
        d->setDouble(start, "kRatingPromptFirstUseDate");
        d->setInteger(row.usesBefore, "kRatingPromptUseCount");
        d->setInteger(0, "kRatingPromptSignificantEventCount");
        d->setBool(false, "kRatingPromptDeclinedToRate");
        d->setBool(false, "kRatingPromptRatedCurrentVersion");
        d->setDouble(0, "kRatingPromptReminderRequestDate");
        clock.clock().setNow(start + row.daysSinceFirst * Day);
        if (row.arrange)
            row.arrange(*d, clock.clock().now());
        auto flags = row.flags;
        RatingPrompt::setReachabilityReader([flags] { return flags; });
        BoardSettings::shared().probePage = row.probeWorks ? m_probe.url("/probe") : "not a url";
        EXPECT_EQ(launch(), row.shows);
        EXPECT_EQ(d->integerForKey("kRatingPromptUseCount"), row.usesBefore + 1);
    }
}

TEST_F(RatingPromptTest, ANewVersionResetsTheCounts)
{
    auto d = defaults();
    d->setObject(ns::String::make("0.9"), "kRatingPromptCurrentVersion");
    d->setInteger(50, "kRatingPromptUseCount");
    d->setBool(true, "kRatingPromptDeclinedToRate");
    d->setDouble(1, "kRatingPromptFirstUseDate");
    EXPECT_FALSE(launch());
    EXPECT_EQ(*d->stringForKey("kRatingPromptCurrentVersion"), "1.0");
    EXPECT_EQ(d->integerForKey("kRatingPromptUseCount"), 1);
    EXPECT_FALSE(d->boolForKey("kRatingPromptDeclinedToRate"));
    EXPECT_DOUBLE_EQ(d->doubleForKey("kRatingPromptFirstUseDate"), clock.clock().now());

    RatingPrompt::sharedInstance()->incrementSignificantEventCount();
    d->setObject(ns::String::make("2.0-old"), "kRatingPromptCurrentVersion");
    RatingPrompt::sharedInstance()->incrementSignificantEventCount();
    EXPECT_EQ(d->integerForKey("kRatingPromptUseCount"), 0);
    EXPECT_EQ(d->integerForKey("kRatingPromptSignificantEventCount"), 1);
    EXPECT_EQ(d->doubleForKey("kRatingPromptFirstUseDate"), 0);
}

TEST_F(RatingPromptTest, TheThreeButtonsAndHiding)
{
    auto prompt = RatingPrompt::sharedInstance();
    auto d = defaults();
    prompt->showRatingAlert();
    auto alert = prompt->ratingAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Rate Velmo");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "No, Thanks");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Rate Velmo");
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "Remind me later");

    prompt->alertViewClickedButtonAtIndex(*alert, 2);
    EXPECT_DOUBLE_EQ(d->doubleForKey("kRatingPromptReminderRequestDate"), clock.clock().now());
    prompt->alertViewClickedButtonAtIndex(*alert, 0);
    EXPECT_TRUE(d->boolForKey("kRatingPromptDeclinedToRate"));
    EXPECT_TRUE(opened().empty());
    prompt->alertViewClickedButtonAtIndex(*alert, 1);
    EXPECT_TRUE(d->boolForKey("kRatingPromptRatedCurrentVersion"));
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0], RatingPrompt::reviewPageAddress());
    EXPECT_NE(opened()[0].find("/WebObjects/MZStore.woa/wa/viewContentsUserReviews?type=Purple+Software&id="),
              std::string::npos);

    d->setBool(false, "kRatingPromptDeclinedToRate");
    alert->dismissWithClickedButtonIndex(-1, false);
    prompt->showRatingAlert();
    ASSERT_TRUE(prompt->ratingAlert()->isVisible());
    ns::NotificationCenter::defaultCenter().postNotification(ui::ApplicationWillResignActiveNotification);
    EXPECT_FALSE(prompt->ratingAlert()->isVisible());
    EXPECT_FALSE(d->boolForKey("kRatingPromptDeclinedToRate")); // hiding records no answer
}

} // namespace
