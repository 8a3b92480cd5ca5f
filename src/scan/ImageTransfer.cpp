// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ImageTransfer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

namespace scan {

namespace {

// Holds a block locked for one call.
class LockedImage {
public:
    explicit LockedImage(ImageHandle image)
        : image_(image), data_(static_cast<const std::uint8_t*>(platform::GlobalLock(image))),
          size_(data_ ? platform::GlobalSize(image) : 0) {}
    ~LockedImage() {
        if (data_) platform::GlobalUnlock(image_);
    }
    LockedImage(const LockedImage&) = delete;
    LockedImage& operator=(const LockedImage&) = delete;
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    ImageHandle image_;
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace

std::int32_t TWAIN_ImageWidth(ImageHandle image) {
    LockedImage block(image);
    return DibWidthField(block.Data(), block.Size());
}

std::int32_t TWAIN_ImageHeight(ImageHandle image) {
    LockedImage block(image);
    return DibHeightField(block.Data(), block.Size());
}

void TWAIN_PaintImage(platform::Bitmap24& target, int x, int y, int width, int height,
                      ImageHandle image, int sourceX, int sourceY) {
    LockedImage block(image);
    if (!block.Data()) return;
    const DibLayout layout = ReadDibLayout(block.Data(), block.Size());
    PaintDib(block.Data(), layout, target, x, y, width, height, sourceX, sourceY);
}

void CopyImageToBitmap(ImageHandle image, platform::Bitmap24& bitmap) {
    const std::int64_t height = TWAIN_ImageHeight(image); // negative for top-down rows
    TWAIN_PaintImage(bitmap, 0, 0, TWAIN_ImageWidth(image),
                     int(std::min<std::int64_t>(height < 0 ? -height : height, INT_MAX)), image, 0,
                     0);
}

platform::Bitmap24 ImageToBitmap(ImageHandle image) {
    LockedImage block(image);
    if (!block.Data()) throw DibError("the scanned image cannot be read");
    return DibToBitmap(block.Data(), block.Size());
}

namespace {

// Ends a raster's loan of an image's block.
void ReleaseImage(void* image) {
    platform::GlobalUnlock(image);
    platform::GlobalFree(image);
}

// Reverses the order of the rows in place.
void FlipRows(std::uint8_t* bits, std::size_t stride, int rows) {
    std::vector<std::uint8_t> swap(stride);
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = bits + stride * std::size_t(top);
        std::uint8_t* b = bits + stride * std::size_t(bottom);
        std::memcpy(swap.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, swap.data(), stride);
    }
}

} // namespace

platform::Bitmap24 TakeImage(ImageHandle image) {
    struct Owned {
        ImageHandle image;
        ~Owned() {
            if (image) platform::GlobalFree(image);
        }
    } owned{image};
    {
        LockedImage block(image);
        if (!block.Data()) throw DibError("the scanned image cannot be read");
        const DibLayout layout = ReadDibLayout(block.Data(), block.Size());
        if (layout.bitsPerPixel != 24) return DibToBitmap(block.Data(), block.Size());
    }
    // The raster borrows the block locked, so that it cannot move.
    auto* data = static_cast<std::uint8_t*>(platform::GlobalLock(image));
    const DibLayout layout = ReadDibLayout(data, platform::GlobalSize(image));
    std::uint8_t* bits = data + layout.bitsOffset;
    if (layout.bottomUp) FlipRows(bits, layout.stride, layout.height);
    owned.image = nullptr; // from here the raster frees it
    return platform::Bitmap24::OverRows(bits, layout.width, layout.height, layout.stride,
                                        ReleaseImage, image);
}

} // namespace scan
