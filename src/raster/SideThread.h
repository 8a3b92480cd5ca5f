// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A second thread for work that can run beside a command's main loop, one job at a time:
// marking a plane that the loop does not read, or recording an outline that it leaves alone.
// Jobs are handed over and waited for through one atomic word: each side asks a few times
// and then sleeps until the other wakes it.
//
// Post and Wait are for the owning thread only. A job's exception is rethrown by the
// next Wait (or Post).

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace raster {

class SideThread {
public:
    SideThread();
    ~SideThread(); // waits for the job in hand, then ends the thread
    SideThread(const SideThread&) = delete;
    SideThread& operator=(const SideThread&) = delete;

    // Runs job on the side thread once the job before has ended.
    void Post(std::function<void()> job);
    // Returns when the job in hand has ended.
    void Wait();
    // Whether the job last posted has ended (Wait would return at once): what it did is then
    // seen. Its exception waits for the next Wait or Post.
    bool Done() const { return state_.load(std::memory_order_acquire) != Posted; }

private:
    enum : int { Idle, Posted, Stop };
    void Run();

    std::function<void()> job_;
    std::exception_ptr error_;
    std::atomic<int> state_{Idle};
    std::thread thread_;
};

} // namespace raster
