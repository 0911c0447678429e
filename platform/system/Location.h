#pragma once

#include "foundation/Object.h"
#include "foundation/RunLoop.h"

#include <optional>
#include <string>

namespace ns {
class Date;
class Error;
} // namespace ns

// Where the device is: positions, and a location manager that reports them to its delegate on the run
// loop of the thread that started it. The position is a setting of the device (velmo --location, the
// script command "location", or a test), not a receiver.
namespace cl {

using LocationDegrees = double;
using LocationDistance = double; // metres
using LocationAccuracy = double; // metres; negative when the value is not known

struct LocationCoordinate2D
{
    LocationDegrees latitude = 0;
    LocationDegrees longitude = 0;
};

inline constexpr LocationAccuracy kCLLocationAccuracyBest = -1;
inline constexpr LocationAccuracy kCLLocationAccuracyNearestTenMeters = 10;
inline constexpr LocationAccuracy kCLLocationAccuracyHundredMeters = 100;
inline constexpr LocationAccuracy kCLLocationAccuracyKilometer = 1000;
inline constexpr LocationDistance kCLDistanceFilterNone = -1;

inline constexpr const char* kCLErrorDomain = "kCLErrorDomain";
inline constexpr long kCLErrorLocationUnknown = 0;
inline constexpr long kCLErrorDenied = 1;

// The user's answer to whether the application may know where the device is.
enum CLAuthorizationStatus : int {
    kCLAuthorizationStatusNotDetermined = 0,
    kCLAuthorizationStatusRestricted = 1,
    kCLAuthorizationStatusDenied = 2,
    kCLAuthorizationStatusAuthorized = 3,
};

// How far a new position must lie from the last one reported for a significant-change update.
inline constexpr LocationDistance SignificantChangeDistance = 500;

// One position: immutable.
class Location : public ns::Object
{
public:
    static ns::Ref<Location> create(LocationCoordinate2D coordinate, LocationDistance altitude,
                                    LocationAccuracy horizontalAccuracy, LocationAccuracy verticalAccuracy,
                                    ns::Ref<ns::Date> timestamp);
    // Only a coordinate: altitude 0 and both accuracies 0, stamped now.
    static ns::Ref<Location> create(LocationDegrees latitude, LocationDegrees longitude);

    LocationCoordinate2D coordinate() const { return m_coordinate; }
    LocationDistance altitude() const { return m_altitude; }
    LocationAccuracy horizontalAccuracy() const { return m_horizontalAccuracy; }
    LocationAccuracy verticalAccuracy() const { return m_verticalAccuracy; }
    const ns::Ref<ns::Date>& timestamp() const { return m_timestamp; }
    // Great-circle distance in metres.
    LocationDistance distanceFromLocation(const Location& other) const;

    std::string className() const override { return "CLLocation"; }
    // "<+lat, +lon> +/- acc m (speed -1 mps / course -1)": the platform's shape, six decimals.
    std::string description() const override;

protected:
    Location(LocationCoordinate2D coordinate, LocationDistance altitude, LocationAccuracy horizontalAccuracy,
             LocationAccuracy verticalAccuracy, ns::Ref<ns::Date> timestamp);
    friend ns::Factory<Location>;

private:
    LocationCoordinate2D m_coordinate;
    LocationDistance m_altitude;
    LocationAccuracy m_horizontalAccuracy;
    LocationAccuracy m_verticalAccuracy;
    ns::Ref<ns::Date> m_timestamp;
};

class LocationManager;

class LocationManagerDelegate
{
public:
    virtual ~LocationManagerDelegate() = default;
    // locationManager:didUpdateToLocation:fromLocation: the previous one is nothing for the first update
    // since the manager started.
    virtual void locationManagerDidUpdateToLocation(LocationManager&,
                                                    const ns::Ref<Location>& /*newLocation*/,
                                                    const ns::Ref<Location>& /*oldLocation*/)
    {
    }
    // locationManager:didFailWithError: kCLErrorDenied when location services are off or the application
    // may not use them; kCLErrorLocationUnknown when no position was found in the device's fixTimeout.
    virtual void locationManagerDidFailWithError(LocationManager&, const ns::Ref<ns::Error>&) {}
};

// What the device's location services answer. Tests set it through LocationManager::setDevice; velmo
// through --location and the script command "location".
struct LocationDevice
{
    bool servicesEnabled = true;
    // Whether the platform offers the authorisation query at all (older systems do not).
    bool hasAuthorizationStatus = true;
    CLAuthorizationStatus authorizationStatus = kCLAuthorizationStatusNotDetermined;
    // Whether the user allows access when first asked (a manager starting while not determined).
    bool userAllows = true;
    bool significantChangeAvailable = true;
    // Where the device is; nothing while it has no fix.
    std::optional<LocationCoordinate2D> position;
    LocationDistance altitude = 0;
    LocationAccuracy horizontalAccuracy = 10;
    LocationAccuracy verticalAccuracy = -1; // no altitude known
    // How long (device time) a running manager looks for a first position before it reports
    // kCLErrorLocationUnknown; it goes on looking, and a position found later is still reported.
    ns::TimeInterval fixTimeout = 30;
};

// Reports where the device is while it runs: standard updates (every new position) or significant changes
// (positions at least SignificantChangeDistance from the last one reported). Reports arrive on the run
// loop of the thread that started it, never inside the call that started it or changed the position.
class LocationManager : public ns::Object
{
public:
    static ns::Ref<LocationManager> create() { return ns::Factory<LocationManager>::make(); }
    ~LocationManager() override;

    // Class-level answers.
    static bool locationServicesEnabled();
    // Whether the platform offers authorizationStatus; without it the status is not known.
    static bool respondsToAuthorizationStatus();
    static CLAuthorizationStatus authorizationStatus();
    static bool significantLocationChangeMonitoringAvailable();

    // The device's settings. Setting them tells every running manager on its loop.
    static LocationDevice device();
    static void setDevice(const LocationDevice& device);
    // A fix at the coordinate with the device's accuracies and altitude, services on; nothing: no fix.
    static void setDevicePosition(std::optional<LocationCoordinate2D> position);
    // Services off (and no fix), or back on.
    static void setServicesEnabled(bool enabled);
    // Back to the defaults: services on, not determined, no fix.
    static void resetDevice();

    ns::Ref<LocationManagerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<LocationManagerDelegate>& delegate) { m_delegate = delegate; }
    LocationAccuracy desiredAccuracy() const { return m_desiredAccuracy; }
    void setDesiredAccuracy(LocationAccuracy accuracy) { m_desiredAccuracy = accuracy; }
    LocationDistance distanceFilter() const { return m_distanceFilter; }
    void setDistanceFilter(LocationDistance distance) { m_distanceFilter = distance; }

    void startUpdatingLocation();
    void stopUpdatingLocation();
    void startMonitoringSignificantLocationChanges();
    void stopMonitoringSignificantLocationChanges();
    bool isUpdatingLocation() const { return m_updating; }
    bool isMonitoringSignificantLocationChanges() const { return m_significant; }

    // The last position reported, or nothing.
    const ns::Ref<Location>& location() const { return m_location; }

    std::string className() const override { return "CLLocationManager"; }

protected:
    LocationManager() = default;
    friend ns::Factory<LocationManager>;

private:
    // Tells every running manager, on its loop, that the device's answers changed.
    static void tellRunning();
    void started();
    void stoppedIfIdle();
    void deliverLater();
    // On the manager's loop: reports what the device says now, when it is news for the running modes.
    void deliver();
    // Once per start without a position: the look for one times out.
    void scheduleFixTimeout(ns::TimeInterval after);
    void fixTimedOut(unsigned start);

    ns::Weak<LocationManagerDelegate> m_delegate;
    LocationAccuracy m_desiredAccuracy = kCLLocationAccuracyBest;
    LocationDistance m_distanceFilter = kCLDistanceFilterNone;
    bool m_updating = false;
    bool m_significant = false;
    bool m_failedReported = false;
    unsigned m_starts = 0;            // which start a timeout belongs to
    bool m_fixTimeoutPending = false; // for the current start
    ns::Ref<Location> m_location;
    ns::RunLoop::Handle m_loop;
};

} // namespace cl
