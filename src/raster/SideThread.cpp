// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/SideThread.h"

#include <chrono>
#include <utility>

namespace raster {

namespace {

// How long the side thread asks for a next job before it sleeps: a job that comes sooner is
// taken without a system call on either side.
constexpr auto SpinTime = std::chrono::microseconds(20);

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

SideThread::SideThread() : thread_([this] { Run(); }) {}

SideThread::~SideThread() {
    while (state_.load(std::memory_order_acquire) == Posted)
        state_.wait(Posted, std::memory_order_acquire);
    state_.store(Stop, std::memory_order_release);
    state_.notify_one();
    thread_.join();
}

void SideThread::Post(std::function<void()> job) {
    Wait();
    job_ = std::move(job);
    state_.store(Posted, std::memory_order_release);
    state_.notify_one();
}

void SideThread::Wait() {
    // A job that is not done at once leaves the processor to the side thread: where both
    // threads share one processor's time, asking again and again would only take it away.
    for (int spins = 0; state_.load(std::memory_order_acquire) == Posted; ++spins) {
        if (spins < 64)
            Pause();
        else
            state_.wait(Posted, std::memory_order_acquire);
    }
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void SideThread::Run() {
    for (;;) {
        int state;
        auto since = std::chrono::steady_clock::now();
        for (unsigned spins = 1; (state = state_.load(std::memory_order_acquire)) == Idle;
             ++spins) {
            Pause();
            if (spins % 256 != 0 || std::chrono::steady_clock::now() - since < SpinTime) continue;
            state_.wait(Idle, std::memory_order_acquire);
            since = std::chrono::steady_clock::now();
        }
        if (state == Stop) return;
        try {
            job_();
        } catch (...) {
            error_ = std::current_exception();
        }
        job_ = nullptr;
        state_.store(Idle, std::memory_order_release);
        state_.notify_one();
    }
}

} // namespace raster
