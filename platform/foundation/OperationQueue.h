#pragma once

#include "foundation/Object.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ns {

// A unit of work for an operation queue. Subclasses override main().
class Operation : public Object
{
public:
    virtual void main() {}

    // Runs main() unless cancelled, then the completion block.
    void start();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }
    bool isExecuting() const { return m_executing; }
    bool isFinished() const { return m_finished; }
    void setCompletionBlock(std::function<void()> block) { m_completion = std::move(block); }

    std::string className() const override { return "NSOperation"; }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_executing{false};
    std::atomic<bool> m_finished{false};
    std::function<void()> m_completion;
};

class BlockOperation : public Operation
{
public:
    static Ref<BlockOperation> make(std::function<void()> block)
    {
        return Factory<BlockOperation>::make(std::move(block));
    }

    void main() override
    {
        if (m_block)
            m_block();
    }

protected:
    explicit BlockOperation(std::function<void()> block) : m_block(std::move(block)) {}
    friend Factory<BlockOperation>;

private:
    std::function<void()> m_block;
};

// Runs operations on worker threads (each with its own run loop), or on the main run loop for mainQueue().
class OperationQueue
{
public:
    OperationQueue();
    ~OperationQueue(); // waits for the operations in flight; pending ones are dropped
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    static OperationQueue& mainQueue();

    void addOperation(Ref<Operation> operation);
    void addOperationWithBlock(std::function<void()> block);
    // The default is one worker per processor.
    void setMaxConcurrentOperationCount(int count);
    std::size_t operationCount() const;
    void cancelAllOperations();
    void waitUntilAllOperationsAreFinished();

private:
    struct MainTag
    {
    };
    explicit OperationQueue(MainTag);
    void workerLoop();

    bool m_isMain = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Ref<Operation>> m_pending;
    std::size_t m_running = 0;
    int m_maxConcurrent;
    std::vector<std::thread> m_workers;
    std::size_t m_idleWorkers = 0;
    bool m_stopping = false;
};

} // namespace ns
