// Worker threads for network work that must not hold up the window.
//
// A worker is started and forgotten: nobody joins it, and the program may
// close its window (or end) while one still runs. So a worker never refers
// to anything its starter owns; it gets its own copies of every parameter.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

namespace skyvane::platform {

// Workers still running. The program waits for them, for a while, before it
// ends: a worker cut off by the process's own teardown would find the
// settings store and the sky data tables destroyed under it.
class LiveWorkerCount {
public:
    static void Enter();
    static void Leave();
    // True when no worker runs any more, false when `limit` passed first.
    static bool WaitUntilNone(std::chrono::milliseconds limit);
};

// Runs `function(arguments...)` on a new detached thread. The thread holds
// copies of the function object and of every argument (taken before this
// returns), so the caller's variables may go away at once. Raw pointers are
// refused because a copy of a pointer is not a copy of what it points at.
// An exception leaving the worker ends only the worker, not the program.
// False when the system would not start another thread.
template <class Function, class... Arguments>
bool StartWorkerThread(Function&& function, Arguments&&... arguments)
{
    static_assert((!std::is_pointer_v<std::decay_t<Arguments>> && ...),
                  "worker threads own copies of their parameters: pass values, not pointers");
    auto body = [](std::decay_t<Function> work, std::decay_t<Arguments>... copies) {
        try {
            std::move(work)(std::move(copies)...);
        } catch (...) {
            // Workers report through their results (settings, files); a
            // failure that escapes one must not take the window down.
        }
        LiveWorkerCount::Leave();
    };
    LiveWorkerCount::Enter();
    try {
        std::thread(std::move(body), std::forward<Function>(function),
                    std::forward<Arguments>(arguments)...)
            .detach();
    } catch (const std::system_error&) {
        LiveWorkerCount::Leave();
        return false;
    }
    return true;
}

// A flag one thread raises and another waits for, with a time limit. Share
// it through a std::shared_ptr so that a worker outliving its waiter still
// has a valid flag to raise.
class WaitableFlag {
public:
    void Set()
    {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        changed_.notify_all();
    }

    bool IsSet() const
    {
        std::lock_guard lock(mutex_);
        return set_;
    }

    // True as soon as the flag is raised, false when `limit` passes first.
    bool WaitFor(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace skyvane::platform
