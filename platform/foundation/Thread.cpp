#include "foundation/Thread.h"

#include "foundation/Log.h"
#include "foundation/RunLoop.h"

#include <atomic>
#include <exception>
#include <thread>

namespace ns {
namespace {

std::atomic<int> g_running{0};

} // namespace

void Thread::detach(std::function<void()> body)
{
    ++g_running;
    std::thread([body = std::move(body)]() mutable {
        try {
            body();
        } catch (const std::exception& error) {
            // An exception may not leave a thread: the process would end. Say what it was instead.
            log("*** Terminating thread after uncaught exception: %s", error.what());
        } catch (...) {
            log("*** Terminating thread after uncaught exception");
        }
        body = nullptr;
        --g_running;
    }).detach();
}

bool Thread::isMainThread()
{
    return RunLoop::isMainThread();
}

int Thread::runningDetachedThreads()
{
    return g_running.load();
}

void performInBackground(std::function<void()> body, std::function<void()> completion)
{
    Thread::detach([body = std::move(body), completion = std::move(completion)] {
        body();
        if (completion)
            performOnMainThread(completion, false);
    });
}

} // namespace ns
