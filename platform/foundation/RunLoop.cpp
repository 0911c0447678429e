#include "foundation/RunLoop.h"

#include "foundation/Clock.h"
#include "foundation/Timer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <exception>
#include <future>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace ns {
namespace {

// Static initialisation runs on the process's first thread: that thread is the main thread.
const std::thread::id g_mainThread = std::this_thread::get_id();

RunLoop& mainLoop()
{
    static RunLoop* loop = new RunLoop(); // lives for the whole process, used by threads until exit
    return *loop;
}

thread_local std::unique_ptr<RunLoop> t_loop;

TimeInterval now()
{
    return Clock::current().now();
}

} // namespace

// MARK: RunLoop

RunLoop::RunLoop() : m_thread(std::this_thread::get_id()), m_handleState(std::make_shared<Handle::State>())
{
    m_wakeFd[0] = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_handleState->loop = this;
}

RunLoop::~RunLoop()
{
    {
        // Waits for a post through a handle that is under way; later ones find no loop.
        std::lock_guard lock(m_handleState->mutex);
        m_handleState->loop = nullptr;
    }
    if (m_wakeFd[0] >= 0)
        close(m_wakeFd[0]);
}

RunLoop& RunLoop::current()
{
    if (std::this_thread::get_id() == g_mainThread)
        return mainLoop();
    if (!t_loop)
        t_loop = std::make_unique<RunLoop>();
    return *t_loop;
}

RunLoop& RunLoop::main()
{
    RunLoop& loop = mainLoop();
    return loop;
}

bool RunLoop::isMainThread()
{
    return std::this_thread::get_id() == g_mainThread;
}

void RunLoop::post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(task));
    }
    wakeUp();
}

bool RunLoop::Handle::post(std::function<void()> task) const
{
    if (!m_state)
        return false;
    std::lock_guard lock(m_state->mutex);
    if (!m_state->loop)
        return false;
    m_state->loop->post(std::move(task));
    return true;
}

bool RunLoop::Handle::isAlive() const
{
    if (!m_state)
        return false;
    std::lock_guard lock(m_state->mutex);
    return m_state->loop != nullptr;
}

void RunLoop::wakeUp()
{
    uint64_t one = 1;
    if (m_wakeFd[0] >= 0) {
        ssize_t written = write(m_wakeFd[0], &one, sizeof one);
        (void)written;
    }
}

void RunLoop::schedule(const Ref<Timer>& timer)
{
    std::lock_guard lock(m_mutex);
    timer->m_sequence = m_nextSequence++;
    m_timers.emplace(std::make_pair(timer->m_fireDate, timer->m_sequence), timer);
}

void RunLoop::unschedule(Timer* timer)
{
    std::lock_guard lock(m_mutex);
    auto found = m_timers.find(std::make_pair(timer->m_fireDate, timer->m_sequence));
    if (found != m_timers.end() && found->second.get() == timer)
        m_timers.erase(found);
}

void RunLoop::performAfterDelay(const void* target, std::string selector, TimeInterval delay,
                                std::function<void()> action)
{
    auto timer = Timer::make(this, std::max(delay, 0.0), false, nullptr);
    Timer* raw = timer.get();
    timer->m_action = [this, raw, action = std::move(action)] {
        {
            std::lock_guard lock(m_mutex);
            std::erase_if(m_performs, [raw](const Perform& perform) { return perform.timer.get() == raw; });
        }
        action();
    };
    timer->m_fireDate = now() + timer->m_interval;
    {
        std::lock_guard lock(m_mutex);
        m_performs.push_back(Perform{target, std::move(selector), timer});
    }
    schedule(timer);
}

void RunLoop::cancelPerforms(const void* target)
{
    std::vector<Ref<Timer>> cancelled;
    {
        std::lock_guard lock(m_mutex);
        for (auto& perform : m_performs)
            if (perform.target == target)
                cancelled.push_back(perform.timer);
        std::erase_if(m_performs, [target](const Perform& perform) { return perform.target == target; });
    }
    for (auto& timer : cancelled)
        timer->invalidate();
}

void RunLoop::cancelPerforms(const void* target, std::string_view selector)
{
    std::vector<Ref<Timer>> cancelled;
    {
        std::lock_guard lock(m_mutex);
        auto matches = [&](const Perform& perform) {
            return perform.target == target && perform.selector == selector;
        };
        for (auto& perform : m_performs)
            if (matches(perform))
                cancelled.push_back(perform.timer);
        std::erase_if(m_performs, matches);
    }
    for (auto& timer : cancelled)
        timer->invalidate();
}

bool RunLoop::hasPendingPerform(const void* target, std::string_view selector) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_performs.begin(), m_performs.end(), [&](const Perform& perform) {
        return perform.target == target && perform.selector == selector;
    });
}

int RunLoop::addSource(int fd, short events, std::function<void(short)> ready)
{
    std::lock_guard lock(m_mutex);
    int id = m_nextSource++;
    m_sources.emplace(id, Source{fd, events, std::move(ready)});
    return id;
}

void RunLoop::removeSource(int id)
{
    std::lock_guard lock(m_mutex);
    m_sources.erase(id);
}

TimeInterval RunLoop::nextFireDate() const
{
    std::lock_guard lock(m_mutex);
    return m_timers.empty() ? std::numeric_limits<TimeInterval>::infinity() : m_timers.begin()->first.first;
}

bool RunLoop::fireNextTimerAtOrBefore(TimeInterval time)
{
    Ref<Timer> timer;
    {
        std::lock_guard lock(m_mutex);
        if (m_timers.empty() || m_timers.begin()->first.first > time)
            return false;
        timer = m_timers.begin()->second;
    }
    timer->fire();
    return true;
}

bool RunLoop::runPostedTasks()
{
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(m_mutex);
        tasks.swap(m_posted);
    }
    for (auto& task : tasks)
        task();
    return !tasks.empty();
}

bool RunLoop::pollSources(int timeoutMs)
{
    // A loop watches a handful of sources and polls several times a turn: up to a few, the lists stay on
    // the stack. A callback may run a loop of its own, so they are never shared between calls.
    constexpr std::size_t Inline = 16;
    pollfd inlineFds[Inline];
    int inlineIds[Inline];
    std::vector<pollfd> moreFds;
    std::vector<int> moreIds;
    pollfd* fds = inlineFds;
    int* ids = inlineIds;
    std::size_t size;
    {
        std::lock_guard lock(m_mutex);
        size = m_sources.size() + 1;
        if (size > Inline) {
            moreFds.resize(size);
            moreIds.resize(size);
            fds = moreFds.data();
            ids = moreIds.data();
        }
        fds[0] = pollfd{m_wakeFd[0], POLLIN, 0};
        ids[0] = 0;
        std::size_t at = 1;
        for (auto& [id, source] : m_sources) {
            fds[at] = pollfd{source.fd, source.events, 0};
            ids[at] = id;
            ++at;
        }
    }
    int count = ::poll(fds, size, timeoutMs);
    if (count <= 0)
        return false;
    bool ran = false;
    if (fds[0].revents) {
        // A consumed wake-up counts as work: the task or stop it announced may have come after the
        // posted tasks were run, and the caller must look again before it blocks.
        uint64_t value = 0;
        ran = read(m_wakeFd[0], &value, sizeof value) > 0;
    }
    for (std::size_t i = 1; i < size; ++i) {
        if (!fds[i].revents)
            continue;
        std::function<void(short)> ready;
        {
            std::lock_guard lock(m_mutex);
            auto found = m_sources.find(ids[i]);
            if (found == m_sources.end())
                continue; // removed by an earlier callback of this round
            ready = found->second.ready;
        }
        ready(fds[i].revents);
        ran = true;
    }
    return ran;
}

void RunLoop::runDue()
{
    bool ran = true;
    // Bounded so that timers re-armed at once cannot hold the loop forever.
    for (int round = 0; ran && round < 1000; ++round) {
        ran = false;
        TimeInterval time = now();
        while (fireNextTimerAtOrBefore(time))
            ran = true;
        ran = runPostedTasks() || ran;
        ran = pollSources(0) || ran;
    }
}

bool RunLoop::runOnce(TimeInterval timeout)
{
    bool ran = false;
    {
        TimeInterval time = now();
        while (fireNextTimerAtOrBefore(time))
            ran = true;
        ran = runPostedTasks() || ran;
        ran = pollSources(0) || ran;
    }
    if (ran || timeout <= 0)
        return ran;
    TimeInterval wait = timeout;
    if (!Clock::current().isManual())
        wait = std::min(wait, std::max(0.0, nextFireDate() - now()));
    int waitMs = std::isinf(wait) ? -1 : static_cast<int>(std::ceil(std::min(wait, 3600.0) * 1000));
    ran = pollSources(waitMs) || ran;
    TimeInterval time = now();
    while (fireNextTimerAtOrBefore(time))
        ran = true;
    ran = runPostedTasks() || ran;
    return ran;
}

bool RunLoop::runUntil(const std::function<bool()>& done, TimeInterval limit)
{
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed >= limit)
            return done();
        // Short slices, so that a condition changed by another thread is seen promptly.
        runOnce(std::min(0.05, limit - elapsed));
    }
    return true;
}

void RunLoop::run()
{
    m_stopped = false;
    while (!m_stopped)
        runOnce(std::numeric_limits<TimeInterval>::infinity());
}

void RunLoop::stop()
{
    m_stopped = true;
    wakeUp();
}

void performOnMainThread(std::function<void()> task, bool waitUntilDone)
{
    if (RunLoop::isMainThread() && waitUntilDone) {
        task();
        return;
    }
    if (!waitUntilDone) {
        RunLoop::main().post(std::move(task));
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    RunLoop::main().post([task = std::move(task), done] {
        try {
            task();
            done->set_value();
        } catch (...) {
            done->set_exception(std::current_exception());
        }
    });
    finished.get();
}

} // namespace ns
