// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterOpening.h"

#include "platform/RasterFiles.h"
#include "raster/Marks.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <sys/mman.h>
#include <thread>

namespace raster {

namespace {

// Clears the marks of the decoded rows and builds the display levels from them, on a
// thread of its own, while the decoder goes on.
class BehindTheDecoder final : public platform::RowListener {
public:
    BehindTheDecoder(RasterDisplay& display, bool prefault)
        : display_(display), prefault_(prefault) {}
    ~BehindTheDecoder() override { Stop(); }

    void Rows(platform::Bitmap24& bitmap, int done) override {
        if (!worker_.joinable()) {
            bitmap_ = &bitmap;
            display_.Begin(bitmap.Width(), bitmap.Height());
            worker_ = std::thread([this] { Work(); });
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = done;
        }
        wake_.notify_one();
    }

    void Stop() override {
        if (!worker_.joinable()) return;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }

private:
    void Work() {
        if (prefault_) Prefault();
        int processed = 0;
        for (;;) {
            int done;
            bool stopping;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return done_ > processed || stopping_; });
                done = done_;
                stopping = stopping_;
            }
            if (done > processed) {
                ClearMarks(*bitmap_, processed, done);
                display_.Built(*bitmap_, done);
                processed = done;
            } else if (stopping) {
                return;
            }
        }
    }

    // The decoder would fault the bitmap's pages in one by one as it reaches them; asking
    // for them all here overlaps that with the decoding. The contents are not touched.
    // Only for a slow decoder: a bitmap file's rows are copied in faster than this thread
    // can fault pages and build the levels, so there the reader faults its own pages and
    // this thread keeps close behind it.
    void Prefault() {
        if (bitmap_->IsEmpty()) return;
        auto* begin = reinterpret_cast<std::uint8_t*>(
            reinterpret_cast<std::uintptr_t>(bitmap_->ScanLine(0)) & ~std::uintptr_t(4095));
        const std::uint8_t* end = bitmap_->ScanLine(0) + bitmap_->SizeInBytes();
        constexpr std::size_t chunk = std::size_t(32) << 20;
        for (std::uint8_t* p = begin; p < end; p += chunk) {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) return;
            }
#if defined(MADV_POPULATE_WRITE)
            if (::madvise(p, std::min<std::size_t>(chunk, std::size_t(end - p)),
                          MADV_POPULATE_WRITE) != 0)
                return; // an older system: the decoder faults them in itself
#else
            return;
#endif
        }
    }

    RasterDisplay& display_;
    const bool prefault_;
    platform::Bitmap24* bitmap_ = nullptr;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    int done_ = 0;
    bool stopping_ = false;
};

} // namespace

OpenedRaster OpenJpeg(const std::string& fileName) {
    OpenedRaster opened;
    BehindTheDecoder behind(opened.display, true);
    opened.raster = platform::LoadJpeg(fileName, &behind);
    return opened;
}

OpenedRaster OpenBmp(const std::string& fileName) {
    OpenedRaster opened;
    BehindTheDecoder behind(opened.display, false);
    opened.raster = platform::LoadBmp(fileName, &behind);
    return opened;
}

} // namespace raster
