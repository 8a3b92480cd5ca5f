// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/SideThread.h"

#include <chrono>
#include <utility>

namespace raster {

namespace {

// How long the thread asks before it sleeps: jobs of a long command come closer together
// than that, and waking a sleeping thread costs a system call on both sides.
constexpr auto SpinTime = std::chrono::microseconds(100);

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

SideThread::SideThread() : thread_([this] { Run(); }) {}

SideThread::~SideThread() {
    while (state_.load(std::memory_order_acquire) == Posted) Pause();
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
    while (state_.load(std::memory_order_acquire) == Posted) Pause();
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
    }
}

} // namespace raster
