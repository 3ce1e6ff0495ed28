// Work on many items with worker threads, handed back to one thread in the items' order: the
// output of any number of threads is byte for byte that of one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

// Calls produce(index, slot) for every index in [0, count) on `threads` worker threads (on the
// calling thread alone when threads is 1) and consume(index, slot) on the calling thread in
// index order. Results wait in `window` slots that are reused, so memory does not grow with
// count. consume answers false to stop: no item after it is consumed. Answers whether every
// item was consumed.
template <class Slot, class Produce, class Consume>
bool RunInOrder(size_t count, unsigned threads, size_t window, Produce produce, Consume consume)
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
    std::vector<Slot> slots(window);
    std::vector<char> isReady(window, 0);  // guarded by lock, like next, consumed and isStopping
    std::mutex lock;
    std::condition_variable slotFree, resultReady;
    size_t next = 0, consumed = 0;
    bool isStopping = false;
    auto work = [&] {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            slotFree.wait(guard, [&] { return isStopping || next >= count || next < consumed + window; });
            if (isStopping || next >= count)
                return;
            const size_t index = next++;
            guard.unlock();
            produce(index, slots[index % window]);
            guard.lock();
            isReady[index % window] = 1;
            resultReady.notify_one();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(work);
    bool isWhole = true;
    for (size_t index = 0; index < count && isWhole; ++index) {
        {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(guard, [&] { return isReady[index % window] != 0; });
        }
        isWhole = consume(index, slots[index % window]);
        std::lock_guard<std::mutex> guard(lock);
        isReady[index % window] = 0;
        consumed = index + 1;
        isStopping = !isWhole;
        slotFree.notify_all();
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
