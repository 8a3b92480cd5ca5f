// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One scan of an open device on a thread of its own, so that the source's window keeps
// answering and can show progress and cancel. The device's options are set before Start;
// the thread starts the device, reads every frame into a DibBuilder and ends the scan
// (sane_cancel), then calls the finished callback on its own thread.
//
// Cancel asks the thread to stop when the read under way returns; the thread then cancels
// the scan itself. SANE allows sane_cancel from another thread during a read, but some
// backends stop their reader threads abruptly and can then hang the process, so that is
// kept for a read that does not return (CancelNow). The destructor cancels and waits.

#include "platform/GlobalMemory.h"

#include <atomic>
#include <functional>
#include <sane/sane.h>
#include <string>
#include <thread>

namespace twaindsm {

class ScanJob {
public:
    enum class Outcome { Running, Done, Cancelled, Failed };

    ScanJob(SANE_Handle device, int resolution);
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    void Start(std::function<void()> finished);
    void Cancel();
    // sane_cancel at once, from the calling thread, for a read that blocks.
    void CancelNow();
    // Share of the expected bytes received, 0 to 1 (0 while the size is unknown).
    double Progress() const { return progress_.load(std::memory_order_relaxed); }

    // After the finished callback.
    Outcome Result() const { return outcome_; }
    const std::string& Problem() const { return problem_; }
    // The image; the caller owns it.
    platform::GlobalHandle TakeImage();

private:
    void Run();

    SANE_Handle device_;
    int resolution_;
    std::thread thread_;
    std::function<void()> whenFinished_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> forced_{false};
    std::atomic<bool> finished_{false};
    std::atomic<double> progress_{0};
    Outcome outcome_ = Outcome::Running;
    std::string problem_;
    platform::GlobalHandle image_ = nullptr;
};

} // namespace twaindsm
