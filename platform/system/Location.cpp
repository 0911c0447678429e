#include "system/Location.h"

#include "foundation/Date.h"
#include "foundation/Error.h"
#include "foundation/Format.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <utility>
#include <vector>

namespace cl {
namespace {

struct Settings
{
    std::mutex mutex;
    LocationDevice device;
    // The managers running, told when the device's answers change.
    std::vector<ns::Weak<LocationManager>> running;
};

Settings& settings()
{
    static Settings* shared = new Settings(); // read by any thread until exit
    return *shared;
}

bool mayLocate(const LocationDevice& device)
{
    return device.servicesEnabled && device.authorizationStatus != kCLAuthorizationStatusDenied &&
           device.authorizationStatus != kCLAuthorizationStatusRestricted;
}

bool samePosition(const Location& a, const Location& b)
{
    return a.coordinate().latitude == b.coordinate().latitude &&
           a.coordinate().longitude == b.coordinate().longitude && a.altitude() == b.altitude() &&
           a.horizontalAccuracy() == b.horizontalAccuracy() && a.verticalAccuracy() == b.verticalAccuracy();
}

} // namespace

// MARK: Positions

Location::Location(LocationCoordinate2D coordinate, LocationDistance altitude,
                   LocationAccuracy horizontalAccuracy, LocationAccuracy verticalAccuracy,
                   ns::Ref<ns::Date> timestamp)
    : m_coordinate(coordinate), m_altitude(altitude), m_horizontalAccuracy(horizontalAccuracy),
      m_verticalAccuracy(verticalAccuracy), m_timestamp(std::move(timestamp))
{
}

ns::Ref<Location> Location::create(LocationCoordinate2D coordinate, LocationDistance altitude,
                                   LocationAccuracy horizontalAccuracy, LocationAccuracy verticalAccuracy,
                                   ns::Ref<ns::Date> timestamp)
{
    if (!timestamp)
        timestamp = ns::Date::now();
    return ns::Factory<Location>::make(coordinate, altitude, horizontalAccuracy, verticalAccuracy,
                                       std::move(timestamp));
}

ns::Ref<Location> Location::create(LocationDegrees latitude, LocationDegrees longitude)
{
    return create(LocationCoordinate2D{latitude, longitude}, 0, 0, 0, nullptr);
}

LocationDistance Location::distanceFromLocation(const Location& other) const
{
    constexpr double earthRadius = 6371000;
    constexpr double radians = std::numbers::pi / 180;
    double lat1 = m_coordinate.latitude * radians;
    double lat2 = other.m_coordinate.latitude * radians;
    double dLat = lat2 - lat1;
    double dLon = (other.m_coordinate.longitude - m_coordinate.longitude) * radians;
    double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
               std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
    h = std::clamp(h, 0.0, 1.0);
    return 2 * earthRadius * std::asin(std::sqrt(h));
}

std::string Location::description() const
{
    return ns::format("<%.6f, %.6f> +/- %.2fm (speed -1.00 mps / course -1.00)", m_coordinate.latitude,
                      m_coordinate.longitude, m_horizontalAccuracy);
}

// MARK: The device

bool LocationManager::locationServicesEnabled()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    return s.device.servicesEnabled;
}

bool LocationManager::respondsToAuthorizationStatus()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    return s.device.hasAuthorizationStatus;
}

CLAuthorizationStatus LocationManager::authorizationStatus()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    return s.device.authorizationStatus;
}

bool LocationManager::significantLocationChangeMonitoringAvailable()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    return s.device.significantChangeAvailable;
}

LocationDevice LocationManager::device()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    return s.device;
}

void LocationManager::setDevice(const LocationDevice& device)
{
    {
        auto& s = settings();
        std::lock_guard lock(s.mutex);
        s.device = device;
    }
    tellRunning();
}

void LocationManager::setDevicePosition(std::optional<LocationCoordinate2D> position)
{
    {
        auto& s = settings();
        std::lock_guard lock(s.mutex);
        s.device.position = position;
        if (position)
            s.device.servicesEnabled = true;
    }
    tellRunning();
}

void LocationManager::setServicesEnabled(bool enabled)
{
    {
        auto& s = settings();
        std::lock_guard lock(s.mutex);
        s.device.servicesEnabled = enabled;
        if (!enabled)
            s.device.position.reset();
    }
    tellRunning();
}

void LocationManager::resetDevice()
{
    setDevice(LocationDevice{});
}

void LocationManager::tellRunning()
{
    std::vector<ns::Ref<LocationManager>> managers;
    {
        auto& s = settings();
        std::lock_guard lock(s.mutex);
        std::erase_if(s.running, [](const auto& weak) { return weak.expired(); });
        for (const auto& weak : s.running)
            if (auto manager = weak.lock())
                managers.push_back(manager);
    }
    for (const auto& manager : managers)
        manager->deliverLater();
}

// MARK: A manager

LocationManager::~LocationManager()
{
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    std::erase_if(s.running, [this](const auto& weak) {
        auto manager = weak.lock();
        return !manager || manager.get() == this;
    });
}

void LocationManager::startUpdatingLocation()
{
    m_updating = true;
    started();
}

void LocationManager::stopUpdatingLocation()
{
    m_updating = false;
    stoppedIfIdle();
}

void LocationManager::startMonitoringSignificantLocationChanges()
{
    m_significant = true;
    started();
}

void LocationManager::stopMonitoringSignificantLocationChanges()
{
    m_significant = false;
    stoppedIfIdle();
}

void LocationManager::started()
{
    m_loop = ns::RunLoop::current().handle();
    m_failedReported = false;
    // A start while already running (the other kind of monitoring) keeps the look for a position going.
    if (!m_fixTimeoutPending) {
        ++m_starts;
        m_fixTimeoutPending = true;
        scheduleFixTimeout(device().fixTimeout);
    }
    {
        auto& s = settings();
        std::lock_guard lock(s.mutex);
        // The first start asks the user; the device's setting answers.
        if (s.device.servicesEnabled && s.device.authorizationStatus == kCLAuthorizationStatusNotDetermined)
            s.device.authorizationStatus =
                s.device.userAllows ? kCLAuthorizationStatusAuthorized : kCLAuthorizationStatusDenied;
        auto me = self<LocationManager>();
        bool listed = std::any_of(s.running.begin(), s.running.end(),
                                  [&](const auto& weak) { return weak.lock() == me; });
        if (!listed)
            s.running.push_back(me);
    }
    deliverLater();
}

void LocationManager::stoppedIfIdle()
{
    if (m_updating || m_significant)
        return;
    m_location = nullptr;
    m_fixTimeoutPending = false;
    ++m_starts; // a timeout still scheduled belongs to a start that has ended
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    std::erase_if(s.running, [this](const auto& weak) {
        auto manager = weak.lock();
        return !manager || manager.get() == this;
    });
}

void LocationManager::deliverLater()
{
    // The manager may go before its loop turns: then nothing is reported.
    m_loop.post([weak = weakSelf<LocationManager>()] {
        if (auto manager = weak.lock())
            manager->deliver();
    });
}

void LocationManager::deliver()
{
    if (!m_updating && !m_significant)
        return;
    LocationDevice now = device();
    auto delegate = this->delegate();
    if (!mayLocate(now)) {
        if (m_failedReported)
            return;
        m_failedReported = true;
        if (delegate)
            delegate->locationManagerDidFailWithError(*this, ns::Error::make(kCLErrorDomain, kCLErrorDenied));
        return;
    }
    m_failedReported = false;
    if (!now.position)
        return;
    m_fixTimeoutPending = false;
    auto fresh =
        Location::create(*now.position, now.altitude, now.horizontalAccuracy, now.verticalAccuracy, nullptr);
    if (m_location) {
        if (samePosition(*fresh, *m_location))
            return;
        LocationDistance moved = fresh->distanceFromLocation(*m_location);
        if (!m_updating && moved < SignificantChangeDistance)
            return;
        if (m_updating && m_distanceFilter > 0 && moved < m_distanceFilter)
            return;
    }
    auto previous = std::exchange(m_location, fresh);
    if (delegate)
        delegate->locationManagerDidUpdateToLocation(*this, fresh, previous);
}

void LocationManager::scheduleFixTimeout(ns::TimeInterval after)
{
    unsigned start = m_starts;
    // Held weakly: a manager that goes before the timeout hears nothing.
    ns::RunLoop::current().performAfterDelay(this, "fixTimedOut", after,
                                             [weak = weakSelf<LocationManager>(), start] {
                                                 if (auto manager = weak.lock())
                                                     manager->fixTimedOut(start);
                                             });
}

void LocationManager::fixTimedOut(unsigned start)
{
    if (start != m_starts || !m_fixTimeoutPending || (!m_updating && !m_significant))
        return;
    m_fixTimeoutPending = false;
    LocationDevice now = device();
    // Refused or switched off is reported as such, and a position found meanwhile was reported.
    if (!mayLocate(now) || now.position || m_location)
        return;
    if (auto delegate = this->delegate())
        delegate->locationManagerDidFailWithError(*this,
                                                  ns::Error::make(kCLErrorDomain, kCLErrorLocationUnknown));
}

} // namespace cl
