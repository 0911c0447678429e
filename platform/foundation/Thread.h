#pragma once

#include <functional>

namespace ns {

// Background threads. Each has a run loop of its own on first use (RunLoop::current()).
class Thread
{
public:
    // Runs `body` on a new detached thread; whatever it captures lives until it returns.
    static void detach(std::function<void()> body);
    static bool isMainThread();
    // Threads started by detach() that have not finished yet; lets tests and shutdown wait for quiet.
    static int runningDetachedThreads();
};

// Runs `body` in the background and `completion` on the main thread afterwards.
void performInBackground(std::function<void()> body, std::function<void()> completion = nullptr);

} // namespace ns
