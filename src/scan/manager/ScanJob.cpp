// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/ScanJob.h"

#include "scan/manager/DibBuilder.h"

#include <memory>
#include <vector>

namespace twaindsm {

namespace {

constexpr std::size_t ReadSize = std::size_t(256) << 10;

} // namespace

ScanJob::ScanJob(SANE_Handle device, int resolution) : device_(device), resolution_(resolution) {}

ScanJob::~ScanJob() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
    }
    if (image_) platform::GlobalFree(image_);
}

void ScanJob::Start(std::function<void()> finished) {
    finished_ = std::move(finished);
    thread_ = std::thread([this] { Run(); });
}

void ScanJob::Cancel() {
    if (cancelled_.exchange(true)) return;
    sane_cancel(device_); // allowed from another thread while sane_read waits
}

platform::GlobalHandle ScanJob::TakeImage() {
    platform::GlobalHandle image = image_;
    image_ = nullptr;
    return image;
}

void ScanJob::Run() {
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
    if (finished_) finished_();
}

} // namespace twaindsm
