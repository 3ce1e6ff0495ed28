// Work on many items with worker threads, handed back to one thread in the items' order: the
// output of any number of threads is byte for byte that of one.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Calls produce(index, slot) for every index in [0, count) on `threads` worker threads (on the
// calling thread alone when threads is 1) and consume(index, slot) on the calling thread in
// index order. Results wait in `window` slots that are reused (see OrderedRunWindow), so memory
// does not grow with count. consume answers false to stop: no item after it is consumed.
// Answers whether every item was consumed.
// Workers take runs of `batch` items and the consumer frees runs of as many slots: the threads
// meet once a run, not once an item, so a cheap item is not buried in waking and waiting. An
// item that waits on the network costs far more than a meeting: such items go one at a time,
// so that every thread has one, however short the list.
constexpr size_t OrderedRunBatch = 16;

// The window that a run really keeps: room for two runs a thread at least, whole runs.
constexpr size_t OrderedRunWindow(size_t window, unsigned threads, size_t batch = OrderedRunBatch)
{
    const size_t least = 2 * batch * threads;
    return ((window > least ? window : least) + batch - 1) / batch * batch;
}

template <class Slot, class Produce, class Consume>
bool RunInOrder(size_t count, unsigned threads, size_t window, size_t batch, Produce produce, Consume consume)
{
    if (threads <= 1 || count <= 1) {
        Slot slot;
        for (size_t index = 0; index < count; ++index) {
            produce(index, slot);
            if (!consume(index, slot))
                return false;
        }
        return true;
    }
    const size_t Batch = std::max<size_t>(batch, 1);
    window = OrderedRunWindow(window, threads, Batch);
    std::vector<Slot> slots(window);
    std::unique_ptr<std::atomic<bool>[]> isReady(new std::atomic<bool>[window]);
    for (size_t i = 0; i < window; ++i)
        isReady[i].store(false, std::memory_order_relaxed);
    std::mutex lock;
    std::condition_variable slotFree, resultReady;
    size_t next = 0;  // guarded by lock, like isStopping
    bool isStopping = false;
    std::atomic<size_t> consumed{0};
    auto work = [&] {
        for (;;) {
            size_t first = 0, end = 0;
            {
                std::unique_lock<std::mutex> guard(lock);
                slotFree.wait(guard, [&] { return isStopping || next >= count || next + Batch <= consumed.load() + window; });
                if (isStopping || next >= count)
                    return;
                first = next;
                end = next = std::min(count, next + Batch);
            }
            for (size_t index = first; index < end; ++index) {
                produce(index, slots[index % window]);
                isReady[index % window].store(true, std::memory_order_release);
            }
            { std::lock_guard<std::mutex> guard(lock); }  // the consumer waits or sees the flags
            resultReady.notify_one();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(work);
    bool isWhole = true;
    for (size_t index = 0; index < count && isWhole; ++index) {
        std::atomic<bool>& ready = isReady[index % window];
        if (!ready.load(std::memory_order_acquire)) {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(guard, [&] { return ready.load(std::memory_order_acquire); });
        }
        isWhole = consume(index, slots[index % window]);
        ready.store(false, std::memory_order_relaxed);
        consumed.store(index + 1);
        if (!isWhole || (index + 1) % Batch == 0) {
            {
                std::lock_guard<std::mutex> guard(lock);
                isStopping = !isWhole;
            }
            slotFree.notify_all();
        }
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        isStopping = true;
    }
    slotFree.notify_all();
    for (std::thread& worker : workers)
        worker.join();
    return isWhole;
}
