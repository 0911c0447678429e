#include "foundation/OperationQueue.h"
#include "foundation/RunLoop.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

class CountingOperation : public ns::Operation
{
public:
    explicit CountingOperation(std::atomic<int>& count) : m_count(count) {}
    void main() override
    {
        EXPECT_FALSE(ns::RunLoop::isMainThread());
        ++m_count;
    }

private:
    std::atomic<int>& m_count;
};

TEST(OperationQueue, RunsEveryOperationOffTheMainThread)
{
    std::atomic<int> count{0};
    ns::OperationQueue queue;
    queue.setMaxConcurrentOperationCount(3);
    for (int i = 0; i < 20; ++i)
        queue.addOperation(ns::make<CountingOperation>(count));
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(count, 20);
    EXPECT_EQ(queue.operationCount(), 0u);
}

TEST(OperationQueue, ACancelledOperationSkipsItsMainButFinishes)
{
    std::atomic<int> count{0};
    auto operation = ns::make<CountingOperation>(count);
    bool completed = false;
    operation->setCompletionBlock([&] { completed = true; });
    operation->cancel();
    operation->start();
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(operation->isFinished());
    EXPECT_TRUE(completed);
}

TEST(OperationQueue, TheMainQueueRunsOnTheMainRunLoop)
{
    bool ran = false;
    ns::OperationQueue::mainQueue().addOperationWithBlock([&] { ran = ns::RunLoop::isMainThread(); });
    EXPECT_FALSE(ran);
    ns::OperationQueue::mainQueue().waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(ran);
}

} // namespace
