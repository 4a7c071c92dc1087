#include "platform/worker_thread.h"

namespace skyvane::platform {
namespace {

// Never destroyed: a worker may still leave after the program's statics
// are gone.
struct Counter {
    std::mutex mutex;
    std::condition_variable none;
    int running = 0;
};

Counter& TheCounter()
{
    static Counter* counter = new Counter;
    return *counter;
}

}  // namespace

void LiveWorkerCount::Enter()
{
    Counter& counter = TheCounter();
    std::lock_guard lock(counter.mutex);
    ++counter.running;
}

void LiveWorkerCount::Leave()
{
    Counter& counter = TheCounter();
    {
        std::lock_guard lock(counter.mutex);
        --counter.running;
    }
    counter.none.notify_all();
}

bool LiveWorkerCount::WaitUntilNone(std::chrono::milliseconds limit)
{
    Counter& counter = TheCounter();
    std::unique_lock lock(counter.mutex);
    return counter.none.wait_for(lock, limit, [&] { return counter.running <= 0; });
}

}  // namespace skyvane::platform
