// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ImageTransfer.h"

#include <algorithm>
#include <climits>
#include <new>

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

} // namespace scan
