#include "testing/BoundedChild.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <exception>
#include <new>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VELMO_TESTING_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMO_TESTING_ASAN 1
#endif
#endif

namespace testkit {

bool BoundedChild::boundsMemory()
{
#ifdef VELMO_TESTING_ASAN
    return false;
#else
    return true;
#endif
}

std::string BoundedChild::Outcome::describe() const
{
    if (timedOut)
        return "killed after its wall-clock bound";
    if (exited)
        return "exited with status " + std::to_string(status);
    if (signal)
        return std::string("ended by signal ") + std::to_string(signal) + " (" + strsignal(signal) + ")";
    return "could not be run";
}

BoundedChild::Outcome BoundedChild::run(const std::function<bool()>& work, Limits limits)
{
    Outcome outcome;
    pid_t child = ::fork();
    if (child < 0)
        return outcome;
    if (child == 0) {
        rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
        ::setrlimit(RLIMIT_CPU, &cpu);
        if (boundsMemory()) {
            rlimit memory{limits.addressSpaceBytes, limits.addressSpaceBytes};
            ::setrlimit(RLIMIT_AS, &memory);
        }
        bool ok = false;
        try {
            ok = work();
        } catch (const std::bad_alloc&) {
            ::_exit(3);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
    for (;;) {
        pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        if (ended < 0 && errno != EINTR)
            return outcome;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            outcome.timedOut = true;
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) {
        outcome.exited = true;
        outcome.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    return outcome;
}

} // namespace testkit
