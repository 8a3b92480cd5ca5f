// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Bitmap24.h"

#include "platform/QtCanvas.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace platform {

Bitmap24::Bitmap24() = default;

namespace {

// Large rasters ask for transparent huge pages before their memory is first touched: a
// scan is walked row to row (tracing, vertical lines), and with 4 KB pages nearly every
// step down a 30 KB row is a TLB miss; 2 MB pages also make the first fill cheaper.
void PreferHugePages(QImage& image) {
    constexpr std::size_t Huge = std::size_t(2) << 20;
    const auto size = std::size_t(image.sizeInBytes());
    if (size < 4 * Huge) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(image.bits());
    const std::uintptr_t first = (begin + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t last = (begin + size) & ~(Huge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace

Bitmap24::Bitmap24(int width, int height) {
    if (!SizeAcceptable(width, height) || width == 0 || height == 0) return;
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull()) throw std::bad_alloc();
    PreferHugePages(image);
    Adopt(std::move(image));
}

Bitmap24 Bitmap24::OverRows(std::uint8_t* bits, int width, int height, std::size_t stride,
                            void (*release)(void*), void* context) {
    Bitmap24 bitmap;
    // Writable rows that the image does not own: painting and row access use them in place.
    QImage image(bits, width, height, qsizetype(stride), QImage::Format_BGR888, release, context);
    if (image.isNull()) {
        release(context);
        throw std::bad_alloc();
    }
    bitmap.Adopt(std::move(image));
    return bitmap;
}

Bitmap24::~Bitmap24() = default;

Bitmap24::Bitmap24(Bitmap24&& other) noexcept {
    Swap(other);
}

Bitmap24& Bitmap24::operator=(Bitmap24&& other) noexcept {
    if (this != &other) {
        Bitmap24 gone;
        gone.Swap(other);
        Swap(gone);
    }
    return *this;
}

void Bitmap24::Report(const QRect& rect) {
    const QRect r = rect & QRect(0, 0, Width(), Height());
    if (!r.isEmpty()) watcher_->BeforeWrite(r);
}

bool Bitmap24::SizeAcceptable(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= MaxSide && height <= MaxSide &&
           width * height <= MaxPixels;
}

void Bitmap24::Adopt(QImage image) {
    if (canvas_) canvas_->End();
    image_ = std::move(image);
    // bits() detaches once here; afterwards the cached pointer stays valid because
    // nobody else shares the image data (painters draw on this same QImage).
    base_ = image_.isNull() ? nullptr : image_.bits();
    stride_ = image_.isNull() ? 0 : std::size_t(image_.bytesPerLine());
    if (canvas_) canvas_->Retarget(&image_);
}

QImage& Bitmap24::Image() {
    EndPainting();
    return image_;
}

Colour Bitmap24::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    const std::uint8_t* p = ScanLine(y) + 3 * std::size_t(x);
    return MakeColour(p[2], p[1], p[0]);
}

void Bitmap24::SetPixel(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    EndPainting();
    BeforeWrite(QRect(x, y, 1, 1));
    std::uint8_t* p = ScanLine(y) + 3 * std::size_t(x);
    p[0] = BlueOf(c);
    p[1] = GreenOf(c);
    p[2] = RedOf(c);
}

void Bitmap24::Fill(Colour c) {
    if (IsEmpty()) return;
    EndPainting();
    BeforeWrite(QRect(0, 0, Width(), Height()));
    const std::size_t rowBytes = 3 * std::size_t(Width());
    std::uint8_t* first = ScanLine(0);
    for (std::size_t i = 0; i < rowBytes; i += 3) {
        first[i] = BlueOf(c);
        first[i + 1] = GreenOf(c);
        first[i + 2] = RedOf(c);
    }
    for (int y = 1; y < Height(); ++y) std::memcpy(ScanLine(y), first, rowBytes);
}

void Bitmap24::SetSize(int width, int height, Colour fill) {
    if (width == Width() && height == Height()) return;
    Bitmap24 next(width, height);
    next.Fill(fill);
    const int w = std::min(width, Width());
    const int h = std::min(height, Height());
    for (int y = 0; y < h; ++y) std::memcpy(next.ScanLine(y), ScanLine(y), 3 * std::size_t(w));
    QImage image = std::move(next.image_);
    next.base_ = nullptr;
    next.stride_ = 0;
    Adopt(std::move(image));
    if (watcher_ != nullptr) watcher_->Replaced();
}

QtCanvas& Bitmap24::GetCanvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<QtCanvas>(&image_);
        canvas_->SetBeforeWrite([this](const QRect& r) { BeforeWrite(r); });
    }
    return *canvas_;
}

void Bitmap24::EndPainting() {
    if (canvas_) canvas_->End();
}

void Bitmap24::Swap(Bitmap24& other) noexcept {
    if (canvas_) canvas_->End();
    if (other.canvas_) other.canvas_->End();
    std::swap(image_, other.image_);
    std::swap(base_, other.base_);
    std::swap(stride_, other.stride_);
    // Each canvas keeps drawing on its own bitmap's image object.
    if (canvas_) canvas_->Retarget(&image_);
    if (other.canvas_) other.canvas_->Retarget(&other.image_);
    if (watcher_ != nullptr) watcher_->Replaced();
    if (other.watcher_ != nullptr) other.watcher_->Replaced();
}

} // namespace platform
