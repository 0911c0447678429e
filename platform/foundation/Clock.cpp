#include "foundation/Clock.h"

#include "foundation/RunLoop.h"

#include <chrono>

namespace ns {
namespace {

std::mutex& clockMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<Clock>& installed()
{
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

} // namespace

Clock& Clock::current()
{
    return *currentShared();
}

std::shared_ptr<Clock> Clock::currentShared()
{
    std::lock_guard lock(clockMutex());
    return installed();
}

void Clock::setCurrent(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(clockMutex());
    installed() = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

TimeInterval SystemClock::now() const
{
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

TimeInterval ManualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

void ManualClock::setNow(TimeInterval now)
{
    std::lock_guard lock(m_mutex);
    m_now = now;
}

void ManualClock::advance(TimeInterval seconds)
{
    TimeInterval target = now() + (seconds > 0 ? seconds : 0);
    RunLoop& loop = RunLoop::main();
    loop.runDue();
    while (loop.nextFireDate() <= target) {
        TimeInterval due = loop.nextFireDate();
        if (due > now())
            setNow(due);
        loop.fireNextTimerAtOrBefore(now());
        loop.runDue();
    }
    setNow(target);
    loop.runDue();
}

ManualClockScope::ManualClockScope(TimeInterval start)
    : m_clock(std::make_shared<ManualClock>(start)), m_previous(Clock::currentShared())
{
    Clock::setCurrent(m_clock);
}

ManualClockScope::~ManualClockScope()
{
    Clock::setCurrent(m_previous);
}

} // namespace ns
