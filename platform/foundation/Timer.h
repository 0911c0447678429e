#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ns {

class RunLoop;

// A timer on the run loop of the thread that scheduled it.
class Timer : public Object
{
public:
    // Fires `action` after `interval` seconds, again every `interval` when repeating.
    static Ref<Timer> scheduled(TimeInterval interval, bool repeats, std::function<void()> action);

    void invalidate();
    bool isValid() const;
    TimeInterval fireDate() const;
    void fire(); // runs the action now; a non-repeating timer is then invalid

    std::string className() const override { return "NSTimer"; }

protected:
    Timer(RunLoop* loop, TimeInterval interval, bool repeats, std::function<void()> action);
    friend Factory<Timer>;

private:
    // Made by scheduled() and by the run loop it runs on.
    friend class RunLoop;
    static Ref<Timer> make(RunLoop* loop, TimeInterval interval, bool repeats, std::function<void()> action)
    {
        return Factory<Timer>::make(loop, interval, repeats, std::move(action));
    }
    RunLoop* m_loop;
    TimeInterval m_interval;
    bool m_repeats;
    std::function<void()> m_action;
    TimeInterval m_fireDate = 0;
    uint64_t m_sequence = 0;
    bool m_valid = true;
};

} // namespace ns
