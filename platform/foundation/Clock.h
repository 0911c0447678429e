#pragma once

#include "foundation/Date.h"

#include <memory>
#include <mutex>

namespace ns {

// Where all time comes from: the system clock in the product, a manual clock in tests and scripted runs.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual TimeInterval now() const = 0; // seconds since 1970
    virtual bool isManual() const { return false; }

    // The process-wide clock, the system clock unless another is installed.
    static Clock& current();
    static std::shared_ptr<Clock> currentShared();
    static void setCurrent(std::shared_ptr<Clock> clock); // nothing restores the system clock
};

class SystemClock : public Clock
{
public:
    TimeInterval now() const override;
};

// Time that moves only when told to. `advance` moves it to each timer of the main run loop that falls due on
// the way, in order, and fires it there (with the tasks those timers post), then to the end.
class ManualClock : public Clock
{
public:
    explicit ManualClock(TimeInterval start = 1300000000.0) : m_now(start) {}

    TimeInterval now() const override;
    bool isManual() const override { return true; }

    void advance(TimeInterval seconds); // on the main thread
    void setNow(TimeInterval now);      // moves the time without firing anything

private:
    mutable std::mutex m_mutex;
    TimeInterval m_now;
};

// Installs a fresh manual clock for a scope (a test), then puts the previous clock back.
class ManualClockScope
{
public:
    explicit ManualClockScope(TimeInterval start = 1300000000.0);
    ~ManualClockScope();
    ManualClockScope(const ManualClockScope&) = delete;
    ManualClockScope& operator=(const ManualClockScope&) = delete;

    ManualClock& clock() { return *m_clock; }
    void advance(TimeInterval seconds) { m_clock->advance(seconds); }

private:
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<Clock> m_previous;
};

} // namespace ns
