// The device's location services: the class-level answers, and a manager's reports on the run loop as the
// device's position changes.
#include "system/Location.h"
#include "foundation/Clock.h"
#include "foundation/Date.h"
#include "foundation/Error.h"
#include "foundation/Format.h"
#include "foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace cl;

// Every report as a line: "update LAT,LON from -" / "update LAT,LON from LAT,LON" / "fail CODE".
class Recorder : public LocationManagerDelegate, public ns::Object
{
public:
    void locationManagerDidUpdateToLocation(LocationManager& manager, const ns::Ref<Location>& fresh,
                                            const ns::Ref<Location>& previous) override
    {
        std::string line = "update ";
        line += text(fresh);
        line += " from ";
        line += previous ? text(previous) : "-";
        lines.push_back(line);
        EXPECT_EQ(manager.location(), fresh);
    }
    void locationManagerDidFailWithError(LocationManager&, const ns::Ref<ns::Error>& error) override
    {
        EXPECT_EQ(error->domain(), kCLErrorDomain);
        lines.push_back(ns::format("fail %i", static_cast<int64_t>(error->code())));
    }
    static std::string text(const ns::Ref<Location>& location)
    {
        return ns::format("%.3f,%.3f", location->coordinate().latitude, location->coordinate().longitude);
    }
    std::vector<std::string> lines;
};

class LocationTest : public ::testing::Test
{
protected:
    LocationTest()
    {
        LocationManager::resetDevice();
        recorder = ns::make<Recorder>();
        manager = LocationManager::create();
        manager->setDelegate(recorder);
    }
    ~LocationTest() override { LocationManager::resetDevice(); }

    std::vector<std::string> turn()
    {
        ns::RunLoop::main().runDue();
        return std::exchange(recorder->lines, {});
    }
    using Lines = std::vector<std::string>;

    ns::ManualClockScope clock;
    ns::Ref<Recorder> recorder;
    ns::Ref<LocationManager> manager;
};

TEST_F(LocationTest, TheClassLevelAnswersFollowTheDevice)
{
    EXPECT_TRUE(LocationManager::locationServicesEnabled());
    EXPECT_TRUE(LocationManager::respondsToAuthorizationStatus());
    EXPECT_EQ(LocationManager::authorizationStatus(), kCLAuthorizationStatusNotDetermined);
    EXPECT_TRUE(LocationManager::significantLocationChangeMonitoringAvailable());

    LocationDevice device;
    device.servicesEnabled = false;
    device.hasAuthorizationStatus = false;
    device.authorizationStatus = kCLAuthorizationStatusDenied;
    device.significantChangeAvailable = false;
    LocationManager::setDevice(device);
    EXPECT_FALSE(LocationManager::locationServicesEnabled());
    EXPECT_FALSE(LocationManager::respondsToAuthorizationStatus());
    EXPECT_EQ(LocationManager::authorizationStatus(), kCLAuthorizationStatusDenied);
    EXPECT_FALSE(LocationManager::significantLocationChangeMonitoringAvailable());

    // A fix turns the services on; "off" turns them off and forgets the fix.
    LocationManager::setDevicePosition(LocationCoordinate2D{48.85, 2.35});
    EXPECT_TRUE(LocationManager::locationServicesEnabled());
    LocationManager::setServicesEnabled(false);
    EXPECT_FALSE(LocationManager::locationServicesEnabled());
    EXPECT_FALSE(LocationManager::device().position);
}

TEST_F(LocationTest, StandardUpdatesArriveOnTheRunLoopWithThePreviousPosition)
{
    LocationDevice device;
    device.position = LocationCoordinate2D{48.8566, 2.3522};
    device.altitude = 35;
    device.horizontalAccuracy = 65;
    device.verticalAccuracy = 12.5;
    LocationManager::setDevice(device);

    manager->setDesiredAccuracy(kCLLocationAccuracyBest);
    manager->startUpdatingLocation();
    EXPECT_TRUE(recorder->lines.empty()) << "never inside the call that starts";
    EXPECT_EQ(turn(), (Lines{"update 48.857,2.352 from -"}));
    auto fix = manager->location();
    ASSERT_TRUE(fix);
    EXPECT_EQ(fix->altitude(), 35);
    EXPECT_EQ(fix->horizontalAccuracy(), 65);
    EXPECT_EQ(fix->verticalAccuracy(), 12.5);
    EXPECT_EQ(fix->timestamp()->timeIntervalSince1970(), ns::Date::now()->timeIntervalSince1970());
    // Starting the first manager asked the user, who allowed it.
    EXPECT_EQ(LocationManager::authorizationStatus(), kCLAuthorizationStatusAuthorized);

    // The same position again is no news; a step of a few metres is.
    LocationManager::setDevicePosition(LocationCoordinate2D{48.8566, 2.3522});
    EXPECT_EQ(turn(), Lines{});
    LocationManager::setDevicePosition(LocationCoordinate2D{48.8567, 2.3522});
    EXPECT_EQ(turn(), (Lines{"update 48.857,2.352 from 48.857,2.352"}));

    // Stopped: nothing more, and the next start begins afresh.
    manager->stopUpdatingLocation();
    LocationManager::setDevicePosition(LocationCoordinate2D{40.0, -3.7});
    EXPECT_EQ(turn(), Lines{});
    EXPECT_FALSE(manager->location());
    manager->startUpdatingLocation();
    EXPECT_EQ(turn(), (Lines{"update 40.000,-3.700 from -"}));
}

TEST_F(LocationTest, SignificantChangesReportOnlyMovesOfHalfAKilometre)
{
    LocationManager::setDevicePosition(LocationCoordinate2D{52.52, 13.405});
    manager->startMonitoringSignificantLocationChanges();
    EXPECT_TRUE(manager->isMonitoringSignificantLocationChanges());
    EXPECT_EQ(turn(), (Lines{"update 52.520,13.405 from -"}));
    // About 330 m north: too little. About 1.1 km: reported.
    LocationManager::setDevicePosition(LocationCoordinate2D{52.523, 13.405});
    EXPECT_EQ(turn(), Lines{});
    LocationManager::setDevicePosition(LocationCoordinate2D{52.53, 13.405});
    EXPECT_EQ(turn(), (Lines{"update 52.530,13.405 from 52.520,13.405"}));
    EXPECT_NEAR(Location::create(52.52, 13.405)->distanceFromLocation(*Location::create(52.53, 13.405)), 1112,
                2);
    manager->stopMonitoringSignificantLocationChanges();
    EXPECT_FALSE(manager->isMonitoringSignificantLocationChanges());
}

TEST_F(LocationTest, NoFixWaitsAndServicesOffOrRefusalFailOnce)
{
    struct Case
    {
        const char* name;
        bool servicesEnabled;
        CLAuthorizationStatus status;
        bool userAllows;
        Lines reports;
    };
    const Case cases[] = {
        {"services off", false, kCLAuthorizationStatusNotDetermined, true, {"fail 1"}},
        {"denied before", true, kCLAuthorizationStatusDenied, true, {"fail 1"}},
        {"restricted", true, kCLAuthorizationStatusRestricted, true, {"fail 1"}},
        {"the user refuses", true, kCLAuthorizationStatusNotDetermined, false, {"fail 1"}},
        {"authorized, no fix yet", true, kCLAuthorizationStatusAuthorized, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LocationDevice device;
        device.servicesEnabled = c.servicesEnabled;
        device.authorizationStatus = c.status;
        device.userAllows = c.userAllows;
        LocationManager::setDevice(device);
        auto other = LocationManager::create();
        other->setDelegate(recorder);
        other->startUpdatingLocation();
        EXPECT_EQ(turn(), c.reports);
        // Told again about the same state: no second failure.
        LocationManager::setDevice(LocationManager::device());
        EXPECT_EQ(turn(), Lines{});
        other->stopUpdatingLocation();
    }

    // Waiting for a fix, then the device gets one.
    LocationManager::resetDevice();
    manager->startUpdatingLocation();
    EXPECT_EQ(turn(), Lines{});
    LocationManager::setDevicePosition(LocationCoordinate2D{-33.8688, 151.2093});
    EXPECT_EQ(turn(), (Lines{"update -33.869,151.209 from -"}));
}

TEST_F(LocationTest, NoPositionInTheTimeoutFailsAsUnknownOnceAndALaterPositionStillArrives)
{
    LocationDevice device;
    device.fixTimeout = 30;
    LocationManager::setDevice(device);
    manager->startMonitoringSignificantLocationChanges();
    EXPECT_EQ(turn(), Lines{});
    clock.advance(29);
    EXPECT_EQ(turn(), Lines{});
    clock.advance(1);
    EXPECT_EQ(turn(), Lines{"fail 0"});
    clock.advance(300);
    EXPECT_EQ(turn(), Lines{});
    LocationManager::setDevicePosition(LocationCoordinate2D{48.8566, 2.3522});
    EXPECT_EQ(turn(), (Lines{"update 48.857,2.352 from -"}));

    // Stopped before the timeout, started again: only the new start's timeout counts, and a position
    // found in time leaves nothing to report.
    manager->stopMonitoringSignificantLocationChanges();
    LocationManager::setDevicePosition(std::nullopt);
    manager->startUpdatingLocation();
    clock.advance(20);
    manager->stopUpdatingLocation();
    manager->startUpdatingLocation();
    clock.advance(20);
    EXPECT_EQ(turn(), Lines{});
    LocationManager::setDevicePosition(LocationCoordinate2D{1, 2});
    EXPECT_EQ(turn(), (Lines{"update 1.000,2.000 from -"}));
    clock.advance(60);
    EXPECT_EQ(turn(), Lines{});
}

TEST_F(LocationTest, AManagerOrDelegateThatGoesHearsNothing)
{
    LocationManager::setDevicePosition(LocationCoordinate2D{1, 2});
    manager->startUpdatingLocation();
    manager = nullptr; // gone before its loop turns
    EXPECT_EQ(turn(), Lines{});

    auto kept = LocationManager::create();
    {
        auto passing = ns::make<Recorder>();
        kept->setDelegate(passing);
    }
    kept->startUpdatingLocation();
    ns::RunLoop::main().runDue(); // no delegate: nothing to tell, and no crash
    EXPECT_TRUE(kept->location());
    EXPECT_EQ(kept->location()->description(),
              "<1.000000, 2.000000> +/- 10.00m (speed -1.00 mps / course -1.00)");
}

} // namespace
