#include "system/Reachability.h"

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace net;

std::string routes(const char* name)
{
    return std::string(VELMO_FIXTURES) + "/network/routes/" + name;
}

class ReachabilityTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Reachability::setOverride(std::nullopt);
        Reachability::setRouteTablePath(std::nullopt);
    }
};

TEST_F(ReachabilityTest, FlagsFollowTheRoutingTable)
{
    const ReachabilityFlags reachable = kSCNetworkReachabilityFlagsReachable;
    const ReachabilityFlags direct = reachable | kSCNetworkReachabilityFlagsIsDirect;
    const ReachabilityFlags local = direct | kSCNetworkReachabilityFlagsIsLocalAddress;
    struct Row
    {
        const char* table;
        const char* target;
        bool byName;
        ReachabilityFlags expected;
    } rows[] = {
        {"default-route", "0.0.0.0", false, reachable},
        {"default-route", "169.254.0.0", false, direct},
        {"default-route", "example.com", true, reachable},
        {"loopback-only", "0.0.0.0", false, 0},
        {"loopback-only", "169.254.0.0", false, 0},
        {"loopback-only", "example.com", true, 0},
        {"loopback-only", "localhost", true, local},
        {"loopback-only", "127.0.0.1", false, local},
        {"local-only", "0.0.0.0", false, 0}, // the default route there is down
        {"local-only", "169.254.0.0", false, direct},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.table) + " " + row.target);
        Reachability::setRouteTablePath(routes(row.table));
        auto target = row.byName ? Reachability::withName(row.target) : Reachability::withAddress(row.target);
        ASSERT_TRUE(target);
        ReachabilityFlags flags = 0xdead;
        ASSERT_TRUE(target->getFlags(&flags));
        EXPECT_EQ(flags, row.expected);
    }
}

TEST_F(ReachabilityTest, AFailedReadSaysSo)
{
    Reachability::setRouteTablePath(routes("missing"));
    ReachabilityFlags flags = 0;
    EXPECT_FALSE(Reachability::withAddress("0.0.0.0")->getFlags(&flags));
    Reachability::setOverride(std::nullopt, true);
    EXPECT_FALSE(Reachability::withName("localhost")->getFlags(&flags));
}

TEST_F(ReachabilityTest, OverrideDecidesTheAnswer)
{
    Reachability::setRouteTablePath(routes("loopback-only"));
    Reachability::setOverride(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    ReachabilityFlags flags = 0;
    ASSERT_TRUE(Reachability::withAddress("0.0.0.0")->getFlags(&flags));
    EXPECT_EQ(flags, kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    Reachability::setOverride(std::nullopt);
    ASSERT_TRUE(Reachability::withAddress("0.0.0.0")->getFlags(&flags));
    EXPECT_EQ(flags, 0u);
}

TEST_F(ReachabilityTest, TheKernelsTableCanBeRead)
{
    ReachabilityFlags flags = 0;
    EXPECT_TRUE(Reachability::withAddress("0.0.0.0")->getFlags(&flags));
    EXPECT_FALSE(Reachability::withAddress("not an address"));
    EXPECT_FALSE(Reachability::withName(""));
}

// Records what the notifier tells.
void record(Reachability&, ReachabilityFlags flags, void* info)
{
    static_cast<std::vector<ReachabilityFlags>*>(info)->push_back(flags);
}

TEST_F(ReachabilityTest, AScheduledReferenceIsCalledOnItsLoopWhenItsFlagsChange)
{
    ns::ManualClockScope clock;
    const ReachabilityFlags reachable = kSCNetworkReachabilityFlagsReachable;
    const ReachabilityFlags mobile = reachable | kSCNetworkReachabilityFlagsIsWWAN;
    Reachability::setOverride(reachable);
    std::vector<ReachabilityFlags> told;
    auto internet = Reachability::withAddress("0.0.0.0");
    ASSERT_TRUE(internet->setCallback(record, &told));
    EXPECT_FALSE(internet->isScheduled());
    ASSERT_TRUE(internet->scheduleWithRunLoop(ns::RunLoop::main()));
    EXPECT_TRUE(internet->isScheduled());
    EXPECT_TRUE(internet->scheduleWithRunLoop(ns::RunLoop::main())); // already there

    struct Step
    {
        const char* name;
        std::optional<ReachabilityFlags> flags; // nothing: the read fails
        std::vector<ReachabilityFlags> told;    // all told so far
    } steps[] = {
        {"the same answer", reachable, {}},
        {"mobile", mobile, {mobile}},
        {"off", 0, {mobile, 0}},
        {"unreadable: nothing to tell", std::nullopt, {mobile, 0}},
        {"readable again", 0, {mobile, 0, 0}},
        {"on", reachable, {mobile, 0, 0, reachable}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        auto before = told.size();
        Reachability::setOverride(step.flags, !step.flags);
        EXPECT_EQ(told.size(), before); // told on the loop, never inside the switch
        ns::RunLoop::main().runDue();
        EXPECT_EQ(told, step.told);
    }

    // Off the loop, nothing more; a reference that goes while scheduled is never called.
    EXPECT_TRUE(internet->unscheduleFromRunLoop(ns::RunLoop::main()));
    EXPECT_FALSE(internet->unscheduleFromRunLoop(ns::RunLoop::main()));
    auto other = Reachability::withName("example.com");
    other->setCallback(record, &told);
    other->scheduleWithRunLoop(ns::RunLoop::main());
    Reachability::setOverride(mobile);
    other.reset();
    ns::RunLoop::main().runDue();
    EXPECT_EQ(told.size(), 4u);
}

TEST_F(ReachabilityTest, TheNetworkSwitchTurnsTheInternetOnAndOff)
{
    Reachability::setRouteTablePath(routes("loopback-only"));
    Reachability::setNetworkOn(true);
    EXPECT_TRUE(Reachability::isNetworkOn());
    EXPECT_EQ(Reachability::overrideFlags(), kSCNetworkReachabilityFlagsReachable);
    Reachability::setNetworkOn(false);
    EXPECT_FALSE(Reachability::isNetworkOn());
    EXPECT_EQ(Reachability::overrideFlags(), 0u);
    Reachability::setOverride(std::nullopt);
    EXPECT_EQ(Reachability::overrideFlags(), std::nullopt);
}

} // namespace
