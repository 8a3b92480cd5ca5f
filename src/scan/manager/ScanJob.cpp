// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/ScanJob.h"

#include "scan/manager/DibBuilder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace twaindsm {

namespace {

constexpr std::size_t ReadSize = std::size_t(256) << 10;
constexpr auto ForceAfter = std::chrono::seconds(2);

// The ids of this process's threads.
std::vector<long> ThreadIds() {
    std::vector<long> ids;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks))
            if (entry->d_name[0] != '.') ids.push_back(std::strtol(entry->d_name, nullptr, 10));
        ::closedir(tasks);
    }
    return ids;
}

// Waits, up to a bound, until the threads started since before have ended. Backends that
// read the device on a thread of their own stop it in sane_cancel by cancelling it
// asynchronously; caught in the middle of freeing memory, or of its own exit, that thread
// leaves the C library's allocator locked and the process hangs. Once it has ended of its
// own accord (the image is complete), or waits on its full pipe (we stopped reading), it
// is safe to cancel.
void LetBackendThreadsSettle(const std::vector<long>& before) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    const long self = long(::gettid());
    for (;;) {
        bool extra = false;
        for (long id : ThreadIds())
            if (id != self && std::find(before.begin(), before.end(), id) == before.end())
                extra = true;
        if (!extra || std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

ScanJob::ScanJob(SANE_Handle device, int resolution) : device_(device), resolution_(resolution) {}

ScanJob::~ScanJob() {
    if (thread_.joinable()) {
        Cancel();
        const auto deadline = std::chrono::steady_clock::now() + ForceAfter;
        while (!finished_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!finished_) CancelNow();
        thread_.join();
    }
    if (image_) platform::GlobalFree(image_);
}

void ScanJob::Start(std::function<void()> finished) {
    whenFinished_ = std::move(finished);
    thread_ = std::thread([this] { Run(); });
}

void ScanJob::Cancel() {
    cancelled_ = true;
}

void ScanJob::CancelNow() {
    cancelled_ = true;
    if (!forced_.exchange(true)) sane_cancel(device_);
}

platform::GlobalHandle ScanJob::TakeImage() {
    platform::GlobalHandle image = image_;
    image_ = nullptr;
    return image;
}

void ScanJob::Run() {
    const std::vector<long> threadsBefore = ThreadIds();
    DibBuilder builder;
    std::vector<std::uint8_t> buffer(ReadSize);
    SANE_Status status = SANE_STATUS_GOOD;
    for (;;) {
        if (cancelled_) {
            status = SANE_STATUS_CANCELLED;
            break;
        }
        status = sane_start(device_);
        if (status != SANE_STATUS_GOOD) break;
        SANE_Parameters parameters;
        status = sane_get_parameters(device_, &parameters);
        if (status != SANE_STATUS_GOOD) break;
        if (!builder.BeginFrame(parameters, problem_)) {
            status = SANE_STATUS_UNSUPPORTED;
            break;
        }
        for (;;) {
            SANE_Int length = 0;
            status = sane_read(device_, buffer.data(), SANE_Int(buffer.size()), &length);
            if (cancelled_) status = SANE_STATUS_CANCELLED;
            if (status != SANE_STATUS_GOOD) break;
            if (!builder.Add(buffer.data(), std::size_t(length))) {
                problem_ = "There is not enough memory for the scanned image.";
                status = SANE_STATUS_NO_MEM;
                break;
            }
            if (builder.BytesExpected())
                progress_.store(double(builder.BytesReceived()) / double(builder.BytesExpected()),
                                std::memory_order_relaxed);
        }
        if (status != SANE_STATUS_EOF) break;
        status = SANE_STATUS_GOOD;
        builder.EndFrame();
        if (parameters.last_frame) break;
    }
    if (!forced_) LetBackendThreadsSettle(threadsBefore);
    sane_cancel(device_); // ends the scan, whatever happened

    if (cancelled_ || status == SANE_STATUS_CANCELLED) {
        outcome_ = Outcome::Cancelled;
    } else if (status != SANE_STATUS_GOOD) {
        outcome_ = Outcome::Failed;
        if (problem_.empty())
            problem_ = std::string("The scanner reports: ") + sane_strstatus(status) + ".";
    } else if ((image_ = builder.Finish(resolution_, problem_))) {
        outcome_ = Outcome::Done;
    } else {
        outcome_ = Outcome::Failed;
    }
    progress_.store(1.0, std::memory_order_relaxed);
    finished_ = true;
    if (whenFinished_) whenFinished_();
}

} // namespace twaindsm
