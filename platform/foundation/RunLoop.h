#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ns {

class Timer;

// One per thread: posted tasks, timers, delayed performs cancellable by target, file-descriptor sources.
// Everything here but post() and wakeUp() is called on the loop's own thread.
class RunLoop
{
public:
    static RunLoop& current(); // this thread's, made on first use
    static RunLoop& main();    // the main thread's: the thread that first asked for it
    static bool isMainThread();

    // Thread-safe; tasks run in the order posted.
    void post(std::function<void()> task);

    // A delayed perform: `target` and `selector` identify it for cancellation.
    void performAfterDelay(const void* target, std::string selector, TimeInterval delay,
                           std::function<void()> action);
    void cancelPerforms(const void* target);                            // every pending one of the target
    void cancelPerforms(const void* target, std::string_view selector); // those of one operation
    bool hasPendingPerform(const void* target, std::string_view selector) const;

    // Calls `ready(revents)` on this loop when poll() reports `events` on `fd`. Returns a source id.
    int addSource(int fd, short events, std::function<void(short revents)> ready);
    void removeSource(int id);

    // Runs what is due, then waits up to `timeout` real seconds (0 = no wait) for more work and runs that.
    // Returns whether anything ran.
    bool runOnce(TimeInterval timeout);
    // Runs until done() holds or `limit` real seconds pass; returns done().
    bool runUntil(const std::function<bool()>& done,
                  TimeInterval limit = std::numeric_limits<TimeInterval>::infinity());
    // Runs until stop().
    void run();
    void stop();

    // Work to do: due timers under the current time, posted tasks, nothing more.
    void runDue();
    // The earliest fire date of a pending timer, or infinity.
    TimeInterval nextFireDate() const;
    // Fires the earliest timer whose date is at or before `time`; returns whether one fired.
    bool fireNextTimerAtOrBefore(TimeInterval time);
    // Wakes the loop from its wait (any thread).
    void wakeUp();

    // What another thread keeps to post to this loop later: once the loop's thread has ended and the loop
    // with it, posting through the handle does nothing (the task is dropped) instead of touching a loop
    // that is gone.
    class Handle
    {
    public:
        Handle() = default;
        // Posts the task (thread-safe); false when the loop is gone or the handle is empty.
        bool post(std::function<void()> task) const;
        bool isAlive() const;

    private:
        friend class RunLoop;
        struct State
        {
            std::mutex mutex;
            RunLoop* loop = nullptr;
        };
        explicit Handle(std::shared_ptr<State> state) : m_state(std::move(state)) {}
        std::shared_ptr<State> m_state;
    };
    // A handle on this loop.
    Handle handle() const { return Handle(m_handleState); }

    std::thread::id threadId() const { return m_thread; }

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

private:
    friend class Timer;
    void schedule(const Ref<Timer>& timer);
    void unschedule(Timer* timer);
    bool runPostedTasks();
    bool pollSources(int timeoutMs);

    struct Perform
    {
        const void* target;
        std::string selector;
        Ref<Timer> timer;
    };
    struct Source
    {
        int fd;
        short events;
        std::function<void(short)> ready;
    };

    std::thread::id m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::function<void()>> m_posted;
    std::multimap<std::pair<TimeInterval, uint64_t>, Ref<Timer>> m_timers;
    std::vector<Perform> m_performs;
    std::map<int, Source> m_sources;
    int m_nextSource = 1;
    uint64_t m_nextSequence = 1;
    int m_wakeFd[2] = {-1, -1};
    bool m_stopped = false;
    std::shared_ptr<Handle::State> m_handleState;
};

inline bool isMainThread()
{
    return RunLoop::isMainThread();
}

// Runs `task` on the main thread; with `waitUntilDone`, returns after it ran (at once when already there).
void performOnMainThread(std::function<void()> task, bool waitUntilDone);

} // namespace ns
