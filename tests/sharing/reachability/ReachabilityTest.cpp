#include "sharing/reachability/Reachability.h"

#include "foundation/Clock.h"
#include "foundation/Exception.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

using net::ReachabilityFlags;

constexpr ReachabilityFlags Reachable = net::kSCNetworkReachabilityFlagsReachable;
constexpr ReachabilityFlags ConnectionRequired = net::kSCNetworkReachabilityFlagsConnectionRequired;
constexpr ReachabilityFlags OnTraffic = net::kSCNetworkReachabilityFlagsConnectionOnTraffic;
constexpr ReachabilityFlags Intervention = net::kSCNetworkReachabilityFlagsInterventionRequired;
constexpr ReachabilityFlags OnDemand = net::kSCNetworkReachabilityFlagsConnectionOnDemand;
constexpr ReachabilityFlags IsDirect = net::kSCNetworkReachabilityFlagsIsDirect;
constexpr ReachabilityFlags IsWWAN = net::kSCNetworkReachabilityFlagsIsWWAN;

class ReachabilityStatus : public ::testing::Test
{
protected:
    ~ReachabilityStatus() override
    {
        net::Reachability::setOverride(std::nullopt);
        ns::RunLoop::main().runDue();
    }
    ns::ManualClockScope clock;
};

struct Row
{
    const char* name;
    ReachabilityFlags flags;
    NetworkStatus internet;  // the internet form's status
    NetworkStatus localWiFi; // the local Wi-Fi form's status
};

const Row rows[] = {
    {"nothing", 0, NotReachable, NotReachable},
    {"reachable", Reachable, ReachableViaWiFi, NotReachable},
    {"reachable and direct", Reachable | IsDirect, ReachableViaWiFi, ReachableViaWiFi},
    {"direct but not reachable", IsDirect, NotReachable, NotReachable},
    {"connection required", Reachable | ConnectionRequired, NotReachable, NotReachable},
    {"required, on demand", Reachable | ConnectionRequired | OnDemand, ReachableViaWiFi, NotReachable},
    {"required, on traffic", Reachable | ConnectionRequired | OnTraffic, ReachableViaWiFi, NotReachable},
    {"required, on demand, intervention", Reachable | ConnectionRequired | OnDemand | Intervention,
     NotReachable, NotReachable},
    {"required, on traffic, intervention", Reachable | ConnectionRequired | OnTraffic | Intervention,
     NotReachable, NotReachable},
    {"intervention without a connection required", Reachable | Intervention, ReachableViaWiFi, NotReachable},
    {"mobile", Reachable | IsWWAN, ReachableViaWWAN, NotReachable},
    {"mobile, whatever else", Reachable | IsWWAN | ConnectionRequired | Intervention | IsDirect,
     ReachableViaWWAN, ReachableViaWiFi},
    {"mobile but not reachable", IsWWAN, NotReachable, NotReachable},
};

TEST_F(ReachabilityStatus, FlagsGiveTheStatus)
{
    auto internet = Reachability::reachabilityForInternetConnection();
    auto wifi = Reachability::reachabilityForLocalWiFi();
    ASSERT_TRUE(internet);
    ASSERT_TRUE(wifi);
    EXPECT_FALSE(internet->localWiFiRef());
    EXPECT_TRUE(wifi->localWiFiRef());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(internet->networkStatusForFlags(row.flags), row.internet);
        EXPECT_EQ(internet->localWiFiStatusForFlags(row.flags), row.localWiFi);
        // The current status reads the device's flags through the form's own rule.
        net::Reachability::setOverride(row.flags);
        EXPECT_EQ(internet->currentReachabilityStatus(), row.internet);
        EXPECT_EQ(wifi->currentReachabilityStatus(), row.localWiFi);
        EXPECT_EQ(internet->connectionRequired(), (row.flags & ConnectionRequired) != 0);
    }
}

TEST_F(ReachabilityStatus, UnreadableFlagsAreNotReachable)
{
    net::Reachability::setOverride(std::nullopt, true);
    EXPECT_EQ(Reachability::reachabilityForInternetConnection()->currentReachabilityStatus(), NotReachable);
    EXPECT_EQ(Reachability::reachabilityForLocalWiFi()->currentReachabilityStatus(), NotReachable);
    EXPECT_FALSE(Reachability::reachabilityForInternetConnection()->connectionRequired());
}

TEST_F(ReachabilityStatus, TheFormsAndTheirTargets)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, "192.0.2.7", &address.sin_addr);
    auto byAddress = Reachability::reachabilityWithAddress(address);
    ASSERT_TRUE(byAddress);
    EXPECT_FALSE(byAddress->localWiFiRef());
    address.sin_family = AF_INET6;
    EXPECT_FALSE(Reachability::reachabilityWithAddress(address));
    EXPECT_TRUE(Reachability::reachabilityWithHostName("example.com"));
    EXPECT_FALSE(Reachability::reachabilityWithHostName(""));
    net::Reachability::setOverride(Reachable | IsWWAN);
    EXPECT_EQ(Reachability::reachabilityWithHostName("example.com")->currentReachabilityStatus(),
              ReachableViaWWAN);
}

TEST_F(ReachabilityStatus, TheNotifierPostsEachChangeUntilStopped)
{
    net::Reachability::setNetworkOn(true);
    auto internet = Reachability::reachabilityForInternetConnection();
    ns::NotificationRecorder recorder(kReachabilityChangedNotification);
    ASSERT_TRUE(internet->startNotifier());

    net::Reachability::setNetworkOn(true); // no change: nothing to tell
    ns::RunLoop::main().runDue();
    EXPECT_TRUE(recorder.notifications().empty());

    net::Reachability::setNetworkOn(false);
    EXPECT_TRUE(recorder.notifications().empty()); // told on the run loop, not inside the switch
    ns::RunLoop::main().runDue();
    ASSERT_EQ(recorder.notifications().size(), 1u);
    EXPECT_EQ(recorder.notifications()[0]->object(), internet);
    EXPECT_EQ(internet->currentReachabilityStatus(), NotReachable);

    net::Reachability::setNetworkOn(true);
    ns::RunLoop::main().runDue();
    EXPECT_EQ(recorder.notifications().size(), 2u);

    internet->stopNotifier();
    net::Reachability::setNetworkOn(false);
    ns::RunLoop::main().runDue();
    EXPECT_EQ(recorder.notifications().size(), 2u);

    // A watched object that goes is not called back.
    auto watched = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(watched->startNotifier());
    net::Reachability::setNetworkOn(true);
    watched.reset();
    ns::RunLoop::main().runDue();
    EXPECT_EQ(recorder.notifications().size(), 2u);
}

TEST_F(ReachabilityStatus, TheCallbackRefusesAnInfoThatIsNoReachability)
{
    auto target = net::Reachability::withAddress(std::string("0.0.0.0"));
    auto other = ns::String::make("not a reachability");
    struct Case
    {
        const char* name;
        void* info;
        const char* reason;
    } cases[] = {
        {"no info", nullptr, "info was NULL in ReachabilityCallback"},
        {"another object", static_cast<ns::Object*>(other.get()),
         "info was wrong class in ReachabilityCallback"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReachabilityCallback(*target, Reachable, c.info);
            ADD_FAILURE() << "no assertion";
        } catch (const ns::Exception& e) {
            EXPECT_EQ(e.name(), ns::InternalInconsistencyException);
            EXPECT_EQ(e.reason(), c.reason);
        }
    }
}

} // namespace
