#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace testkit {

// Runs work in a forked child process that the kernel holds to a processor time and a memory bound, so
// that a test can show that hostile input stays within both without timing anything itself. The memory
// bound is the child's address space; under AddressSanitizer, whose shadow memory takes terabytes of it,
// only the time bound applies.
class BoundedChild
{
public:
    struct Limits
    {
        unsigned cpuSeconds = 30;
        std::size_t addressSpaceBytes = std::size_t(2) << 30;
        // A child that waits instead of working (a lock another thread held at the fork) is killed after
        // this long on the wall clock, so that it fails the test instead of hanging the suite.
        unsigned wallSeconds = 300;
    };
    struct Outcome
    {
        bool exited = false;   // the work returned and the child exited by itself
        int status = -1;       // its exit status: 0 when the work gave true
        int signal = 0;        // the signal that ended it otherwise (SIGXCPU, SIGKILL, SIGSEGV, SIGABRT...)
        bool timedOut = false; // killed for outliving its wall-clock bound
        std::string describe() const;
    };

    // The work runs in the child; its result becomes the exit status (0 for true, 1 for false). The child
    // leaves with _exit, so nothing of the parent's state is torn down twice.
    static Outcome run(const std::function<bool()>& work, Limits limits);
    // Whether the memory bound applies in this build.
    static bool boundsMemory();
};

} // namespace testkit
