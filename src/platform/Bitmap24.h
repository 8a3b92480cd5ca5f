// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A 24-bit raster: three bytes a pixel in the order blue, green, red; row 0 at the top;
// rows padded to four bytes as in a BMP file. It wraps a QImage of Format_BGR888 so
// that painters can draw on it, and hands out raw rows for raster-wide passes.
//
// Writing pixels: everything that changes pixels of a bitmap tells it first which ones,
// with BeforeWrite(rectangle), so that a watcher (the raster undo copy, which saves what
// is about to change) sees every change. The bitmap's own writers (SetPixel, Fill, the
// canvas from GetCanvas, which reports each figure's bounds) do so themselves; code that
// writes rows from ScanLine calls BeforeWrite itself. Replacing the pixels wholesale (a
// new size, Swap, assignment) tells the watcher Replaced() instead.

#include "platform/Colour.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class QtCanvas;

// Sees the changes of a watched bitmap before they happen.
class PixelWatcher {
public:
    virtual ~PixelWatcher() = default;
    // The pixels of rect (within the bitmap, not empty) are about to change.
    virtual void BeforeWrite(const QRect& rect) = 0;
    // The bitmap now holds other pixels, perhaps of another size.
    virtual void Replaced() = 0;
};

class Bitmap24 {
public:
    Bitmap24();
    // Allocates width × height pixels, contents undefined (no pass over the memory).
    Bitmap24(int width, int height);
    ~Bitmap24();
    Bitmap24(Bitmap24&& other) noexcept;
    Bitmap24& operator=(Bitmap24&& other) noexcept;
    Bitmap24(const Bitmap24&) = delete;
    Bitmap24& operator=(const Bitmap24&) = delete;

    // A raster over rows that live elsewhere (a scanned image's memory, say): width ×
    // height pixels from bits, row 0 first, stride bytes apart (a multiple of four).
    // release(context) runs once the raster lets go of them.
    static Bitmap24 OverRows(std::uint8_t* bits, int width, int height, std::size_t stride,
                             void (*release)(void*), void* context);

    // Largest side accepted from any file or command, and the largest pixel count.
    static constexpr int MaxSide = 100000;
    static constexpr std::int64_t MaxPixels = std::int64_t(1) << 31;
    static bool SizeAcceptable(std::int64_t width, std::int64_t height);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool IsEmpty() const { return image_.isNull(); }
    std::size_t BytesPerLine() const { return stride_; }
    std::size_t SizeInBytes() const { return std::size_t(image_.sizeInBytes()); }

    std::uint8_t* ScanLine(int y) { return base_ + std::size_t(y) * BytesPerLine(); }
    const std::uint8_t* ScanLine(int y) const { return base_ + std::size_t(y) * BytesPerLine(); }

    Colour Pixel(int x, int y) const;
    void SetPixel(int x, int y, Colour c);
    void Fill(Colour c);

    // Resizes keeping the overlapping top-left part; new pixels get the fill colour.
    void SetSize(int width, int height, Colour fill);

    // The image itself, for painters and stretched copies. Do not change its format.
    const QImage& Image() const { return image_; }
    QImage& Image();

    // A canvas on this bitmap; ended automatically before the raster is resized or moved.
    // It reports the bounds of everything it draws with BeforeWrite.
    QtCanvas& GetCanvas();
    // Ends painting so that rows may be written directly.
    void EndPainting();

    void Swap(Bitmap24& other) noexcept;

    // One watcher at a time (null: none); it stays with this object, not with the pixels.
    void Watch(PixelWatcher* watcher) { watcher_ = watcher; }
    PixelWatcher* Watcher() const { return watcher_; }
    // Tells the watcher that the pixels of rect (clipped to the bitmap) are about to change.
    void BeforeWrite(const QRect& rect) {
        if (watcher_ != nullptr) Report(rect);
    }

private:
    void Report(const QRect& rect);
    void Adopt(QImage image);

    QImage image_;
    std::uint8_t* base_ = nullptr; // cached bits of image_ (detached, owned)
    std::size_t stride_ = 0;       // cached bytes per row: row access is on every hot path
    std::unique_ptr<QtCanvas> canvas_;
    PixelWatcher* watcher_ = nullptr;
};

} // namespace platform
