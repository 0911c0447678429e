#include "foundation/Timer.h"

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"

#include <algorithm>

namespace ns {

Timer::Timer(RunLoop* loop, TimeInterval interval, bool repeats, std::function<void()> action)
    : m_loop(loop), m_interval(interval), m_repeats(repeats), m_action(std::move(action))
{
}

Ref<Timer> Timer::scheduled(TimeInterval interval, bool repeats, std::function<void()> action)
{
    RunLoop& loop = RunLoop::current();
    auto timer = Timer::make(&loop, std::max(interval, 0.0), repeats, std::move(action));
    timer->m_fireDate = Clock::current().now() + timer->m_interval;
    loop.schedule(timer);
    return timer;
}

void Timer::invalidate()
{
    if (!m_valid)
        return;
    m_valid = false;
    m_loop->unschedule(this);
}

bool Timer::isValid() const
{
    return m_valid;
}

TimeInterval Timer::fireDate() const
{
    return m_fireDate;
}

void Timer::fire()
{
    if (!m_valid)
        return;
    auto keep = std::static_pointer_cast<Timer>(shared_from_this());
    m_loop->unschedule(this);
    if (m_repeats) {
        // A repeating timer with no interval would starve the loop; it waits at least a millisecond.
        m_fireDate = std::max(m_fireDate, Clock::current().now()) + std::max(m_interval, 0.001);
        m_loop->schedule(keep);
    } else {
        m_valid = false;
    }
    auto action = m_action;
    if (action)
        action();
}

} // namespace ns
