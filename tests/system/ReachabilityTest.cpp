#include "system/Reachability.h"

#include <gtest/gtest.h>

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

} // namespace
