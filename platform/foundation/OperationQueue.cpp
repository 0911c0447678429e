#include "foundation/OperationQueue.h"

#include "foundation/Log.h"
#include "foundation/RunLoop.h"

#include <algorithm>
#include <exception>

namespace ns {

void Operation::start()
{
    if (m_finished || m_executing)
        return;
    m_executing = true;
    if (!m_cancelled)
        main();
    m_executing = false;
    m_finished = true;
    if (m_completion)
        m_completion();
}

OperationQueue::OperationQueue()
    : m_maxConcurrent(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
{
}

OperationQueue::OperationQueue(MainTag) : m_isMain(true), m_maxConcurrent(1)
{
}

OperationQueue::~OperationQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.clear();
    }
    m_changed.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

OperationQueue& OperationQueue::mainQueue()
{
    static OperationQueue* queue = new OperationQueue(MainTag{}); // used until the process ends
    return *queue;
}

void OperationQueue::addOperation(Ref<Operation> operation)
{
    if (!operation)
        return;
    if (m_isMain) {
        {
            std::lock_guard lock(m_mutex);
            ++m_running;
        }
        RunLoop::main().post([this, operation] {
            operation->start();
            std::lock_guard lock(m_mutex);
            --m_running;
            m_changed.notify_all();
        });
        return;
    }
    std::lock_guard lock(m_mutex);
    m_pending.push_back(std::move(operation));
    if (m_idleWorkers == 0 && m_workers.size() < static_cast<std::size_t>(m_maxConcurrent))
        m_workers.emplace_back([this] { workerLoop(); });
    m_changed.notify_all();
}

void OperationQueue::addOperationWithBlock(std::function<void()> block)
{
    addOperation(BlockOperation::make(std::move(block)));
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    std::lock_guard lock(m_mutex);
    m_maxConcurrent = std::max(1, count);
}

std::size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(m_mutex);
    return m_pending.size() + m_running;
}

void OperationQueue::cancelAllOperations()
{
    std::lock_guard lock(m_mutex);
    for (auto& operation : m_pending)
        operation->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    if (m_isMain && RunLoop::isMainThread()) {
        RunLoop::main().runUntil([this] { return operationCount() == 0; });
        return;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_pending.empty() && m_running == 0; });
}

void OperationQueue::workerLoop()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        ++m_idleWorkers;
        m_changed.wait(lock, [this] { return m_stopping || !m_pending.empty(); });
        --m_idleWorkers;
        if (m_stopping)
            return;
        Ref<Operation> operation = std::move(m_pending.front());
        m_pending.pop_front();
        ++m_running;
        lock.unlock();
        try {
            operation->start();
        } catch (const std::exception& error) {
            log("*** Operation ended by an uncaught exception: %s", error.what());
        }
        operation.reset();
        lock.lock();
        --m_running;
        m_changed.notify_all();
    }
}

} // namespace ns
