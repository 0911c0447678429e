#include "foundation/RunLoop.h"
#include "foundation/Clock.h"
#include "foundation/Thread.h"
#include "foundation/Timer.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

TEST(RunLoop, TimersFireInDateOrderAsTheManualClockAdvances)
{
    ns::ManualClockScope time;
    std::string order;
    auto late = ns::Timer::scheduled(0.3, false, [&] { order += "c"; });
    auto early = ns::Timer::scheduled(0.1, false, [&] { order += "a"; });
    auto same = ns::Timer::scheduled(0.1, false, [&] { order += "b"; }); // same date: scheduling order
    time.advance(0.05);
    EXPECT_EQ(order, "");
    time.advance(0.1);
    EXPECT_EQ(order, "ab");
    time.advance(1);
    EXPECT_EQ(order, "abc");
    EXPECT_FALSE(late->isValid());
}

TEST(RunLoop, ATimerSeesTheClockAtItsOwnFireDate)
{
    ns::ManualClockScope time;
    double start = time.clock().now();
    double seen = 0;
    ns::Timer::scheduled(0.4, false, [&] { seen = ns::Clock::current().now() - start; });
    time.advance(10);
    EXPECT_NEAR(seen, 0.4, 1e-6);
    EXPECT_DOUBLE_EQ(time.clock().now() - start, 10);
}

TEST(RunLoop, RepeatingTimerFiresOncePerInterval)
{
    ns::ManualClockScope time;
    int fired = 0;
    auto timer = ns::Timer::scheduled(1, true, [&] { ++fired; });
    time.advance(3.5);
    EXPECT_EQ(fired, 3);
    timer->invalidate();
    time.advance(3);
    EXPECT_EQ(fired, 3);
}

TEST(RunLoop, DelayedPerformsCancelByTargetAndBySelector)
{
    ns::ManualClockScope time;
    auto& loop = ns::RunLoop::current();
    int a = 0, b = 0, c = 0;
    int targetOne = 0, targetTwo = 0;
    loop.performAfterDelay(&targetOne, "single", 0.4, [&] { ++a; });
    loop.performAfterDelay(&targetOne, "other", 0.4, [&] { ++b; });
    loop.performAfterDelay(&targetTwo, "single", 0.4, [&] { ++c; });
    EXPECT_TRUE(loop.hasPendingPerform(&targetOne, "single"));
    loop.cancelPerforms(&targetOne, "single");
    EXPECT_FALSE(loop.hasPendingPerform(&targetOne, "single"));
    time.advance(0.5);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 1);

    loop.performAfterDelay(&targetOne, "x", 1, [&] { ++a; });
    loop.performAfterDelay(&targetOne, "y", 1, [&] { ++a; });
    loop.cancelPerforms(&targetOne);
    time.advance(2);
    EXPECT_EQ(a, 0);
    EXPECT_FALSE(loop.hasPendingPerform(&targetOne, "x"));
}

TEST(RunLoop, APerformScheduledByAPerformRunsWhenItsOwnTimeComes)
{
    ns::ManualClockScope time;
    auto& loop = ns::RunLoop::current();
    std::vector<double> at;
    double start = time.clock().now();
    loop.performAfterDelay(&at, "first", 0.2, [&] {
        at.push_back(ns::Clock::current().now() - start);
        loop.performAfterDelay(&at, "second", 0.2, [&] { at.push_back(ns::Clock::current().now() - start); });
    });
    time.advance(1);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_NEAR(at[0], 0.2, 1e-6);
    EXPECT_NEAR(at[1], 0.4, 1e-6);
}

TEST(RunLoop, PerformOnMainThreadWaitsForTheMainLoop)
{
    ASSERT_TRUE(ns::RunLoop::isMainThread());
    std::atomic<bool> workerDone{false};
    std::atomic<bool> ranOnMain{false};
    std::atomic<int> valueSeenByWorker{0};
    int mainValue = 0;
    ns::Thread::detach([&] {
        EXPECT_FALSE(ns::Thread::isMainThread());
        ns::performOnMainThread(
            [&] {
                ranOnMain = ns::RunLoop::isMainThread();
                mainValue = 42;
            },
            true);
        valueSeenByWorker = mainValue; // published by the wait
        workerDone = true;
    });
    EXPECT_TRUE(ns::RunLoop::main().runUntil([&] { return workerDone.load(); }, 10));
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(valueSeenByWorker, 42);
}

TEST(RunLoop, PerformOnMainThreadFromTheMainThreadRunsAtOnceWhenWaiting)
{
    bool ran = false;
    ns::performOnMainThread([&] { ran = true; }, true);
    EXPECT_TRUE(ran);
    bool later = false;
    ns::performOnMainThread([&] { later = true; }, false);
    EXPECT_FALSE(later);
    ns::RunLoop::main().runOnce(0);
    EXPECT_TRUE(later);
}

TEST(RunLoop, FileDescriptorSourcesReportReadiness)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    auto& loop = ns::RunLoop::current();
    std::string got;
    int id = loop.addSource(fds[0], POLLIN, [&](short) {
        char buffer[16];
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
    });
    ASSERT_EQ(write(fds[1], "ping", 4), 4);
    EXPECT_TRUE(loop.runUntil([&] { return got == "ping"; }, 5));
    loop.removeSource(id);
    close(fds[0]);
    close(fds[1]);
}

TEST(RunLoop, ThreadsGetTheirOwnLoops)
{
    std::atomic<bool> done{false};
    std::atomic<bool> distinct{false};
    ns::RunLoop* mainLoop = &ns::RunLoop::main();
    ns::Thread::detach([&] {
        auto& mine = ns::RunLoop::current();
        bool ran = false;
        mine.post([&] { ran = true; });
        mine.runUntil([&] { return ran; }, 5);
        distinct = &mine != mainLoop && ran;
        done = true;
    });
    ns::RunLoop::main().runUntil([&] { return done.load(); }, 10);
    EXPECT_TRUE(distinct);
}

TEST(RunLoop, AHandleWakesItsThreadAndPostsNothingOnceTheThreadHasEnded)
{
    ns::RunLoop::Handle handle;
    std::atomic<bool> ready{false};
    std::atomic<bool> woke{false};
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        handle = ns::RunLoop::current().handle();
        ready = true;
        // Blocks with no time limit: only the post through the handle can end the wait.
        while (!woke)
            ns::RunLoop::current().runOnce(std::numeric_limits<ns::TimeInterval>::infinity());
        ended = true;
    });
    while (!ready)
        std::this_thread::yield();
    EXPECT_TRUE(handle.isAlive());
    EXPECT_TRUE(handle.post([&] { woke = true; }));
    worker.join(); // the thread and its loop are gone
    EXPECT_TRUE(ended);

    auto kept = std::make_shared<int>(1);
    EXPECT_FALSE(handle.isAlive());
    EXPECT_FALSE(handle.post([kept] {}));
    EXPECT_EQ(kept.use_count(), 1); // the task was dropped, not kept by a loop that is gone
    EXPECT_FALSE(ns::RunLoop::Handle().post([] {}));
}

TEST(RunLoop, ATaskPostedWhileTheLoopGoesToSleepStillWakesIt)
{
    // Each post lands right after the worker ran the previous task, as its loop is about to block:
    // the wake-up it sends must end that block, round after round.
    constexpr int Rounds = 5000;
    std::atomic<int> ran{0};
    std::atomic<bool> quit{false};
    ns::RunLoop::Handle handle;
    std::atomic<bool> ready{false};
    std::thread worker([&] {
        handle = ns::RunLoop::current().handle();
        ready = true;
        while (!quit)
            ns::RunLoop::current().runOnce(std::numeric_limits<ns::TimeInterval>::infinity());
    });
    while (!ready)
        std::this_thread::yield();
    int stuck = -1;
    for (int round = 1; round <= Rounds && stuck < 0; ++round) {
        ASSERT_TRUE(handle.post([&] { ran = ran + 1; }));
        auto start = std::chrono::steady_clock::now();
        while (ran < round) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
                stuck = round;
                break;
            }
            std::this_thread::yield();
        }
    }
    quit = true;
    handle.post([] {});
    worker.join();
    EXPECT_EQ(stuck, -1) << "the loop slept through the post of round " << stuck;
    EXPECT_EQ(ran, Rounds);
}

} // namespace
