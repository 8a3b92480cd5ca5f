// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/DibBuilder.h"

#include "scan/Twain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace twaindsm {

namespace {

constexpr int MaxSide = 100000;
constexpr int InitialRowsUnknownHeight = 512;

void PutU32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
    std::memcpy(p, &v, 2);
}

int ChannelOffset(SANE_Frame frame) {
    switch (frame) {
    case SANE_FRAME_RED:
        return 2;
    case SANE_FRAME_GREEN:
        return 1;
    default:
        return 0; // blue
    }
}

// Red, green, blue to blue, green, red: the bulk of a colour scan's conversion. Built
// twice; the processor's SSSE3 byte shuffles, where it has them, about halve the time.
__attribute__((target_clones("ssse3", "default"))) void
SwapRedBlue(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i) {
        dst[3 * i] = src[3 * i + 2];
        dst[3 * i + 1] = src[3 * i + 1];
        dst[3 * i + 2] = src[3 * i];
    }
}

bool SingleChannel(SANE_Frame frame) {
    return frame == SANE_FRAME_RED || frame == SANE_FRAME_GREEN || frame == SANE_FRAME_BLUE;
}

} // namespace

DibBuilder::~DibBuilder() {
    if (block_) {
        platform::GlobalUnlock(block_);
        platform::GlobalFree(block_);
    }
}

bool DibBuilder::BeginFrame(const SANE_Parameters& p, std::string& problem) {
    const bool first = frames_ == 0;
    format_ = p.format;
    depth_ = p.depth;
    row_ = 0;
    partialSize_ = 0;

    Kind kind;
    int channels = 1;
    if (p.format == SANE_FRAME_GRAY && p.depth == 1) {
        kind = Kind::Bits1;
    } else if (p.format == SANE_FRAME_GRAY && (p.depth == 8 || p.depth == 16)) {
        kind = Kind::Grey8;
    } else if (p.format == SANE_FRAME_RGB && (p.depth == 8 || p.depth == 16)) {
        kind = Kind::Colour24;
        channels = 3;
    } else if (SingleChannel(p.format) && (p.depth == 8 || p.depth == 16)) {
        kind = Kind::Colour24;
    } else {
        problem = "The scanner delivers a format this source cannot read (frame " +
                  std::to_string(int(p.format)) + ", " + std::to_string(p.depth) + " bits).";
        return false;
    }
    const std::uint64_t needed =
        (std::uint64_t(std::max(p.pixels_per_line, 0)) * channels * p.depth + 7) / 8;
    if (p.pixels_per_line <= 0 || p.pixels_per_line > MaxSide || p.lines == 0 ||
        p.lines > MaxSide || p.bytes_per_line <= 0 || std::uint64_t(p.bytes_per_line) < needed) {
        problem = "The scanner reports an image of " + std::to_string(p.pixels_per_line) + " × " +
                  std::to_string(p.lines) + " pixels that cannot be taken.";
        return false;
    }
    lineBytes_ = std::size_t(p.bytes_per_line);
    partial_.resize(lineBytes_);

    if (!first) {
        // Later frames are the other colours of a three-pass scan.
        if (kind != Kind::Colour24 || !SingleChannel(p.format) || p.pixels_per_line != width_) {
            problem = "The scanner's frames do not fit together.";
            return false;
        }
        ++frames_;
        return true;
    }

    kind_ = kind;
    width_ = p.pixels_per_line;
    heightKnown_ = p.lines > 0;
    rows_ = heightKnown_ ? p.lines : InitialRowsUnknownHeight;
    const int bits = kind == Kind::Bits1 ? 1 : kind == Kind::Grey8 ? 8 : 24;
    stride_ = (std::size_t(width_) * bits + 31) / 32 * 4;
    const std::size_t colours = kind == Kind::Bits1 ? 2 : kind == Kind::Grey8 ? 256 : 0;
    bitsOffset_ = dib::HeaderSize + 4 * colours;
    block_ = platform::GlobalAlloc(bitsOffset_ + stride_ * std::size_t(rows_));
    data_ = static_cast<std::uint8_t*>(platform::GlobalLock(block_));
    if (!data_) {
        problem = "There is not enough memory for the scanned image.";
        return false;
    }
    // Colour table.
    std::uint8_t* table = data_ + dib::HeaderSize;
    if (kind == Kind::Bits1) {
        const std::uint8_t entries[8] = {255, 255, 255, 0, 0, 0, 0, 0};
        std::memcpy(table, entries, 8);
    } else if (kind == Kind::Grey8) {
        for (int i = 0; i < 256; ++i, table += 4)
            table[0] = table[1] = table[2] = std::uint8_t(i), table[3] = 0;
    }
    const int frames = SingleChannel(p.format) ? 3 : 1;
    bytesExpected_ = heightKnown_ ? std::uint64_t(frames) * std::uint64_t(p.lines) * lineBytes_ : 0;
    frames_ = 1;
    return true;
}

bool DibBuilder::Grow() {
    if (rows_ >= MaxSide) return false;
    const int rows = std::min(rows_ * 2, MaxSide);
    platform::GlobalUnlock(block_);
    data_ = nullptr;
    if (!platform::GlobalReAlloc(block_, bitsOffset_ + stride_ * std::size_t(rows))) {
        data_ = static_cast<std::uint8_t*>(platform::GlobalLock(block_));
        return false;
    }
    data_ = static_cast<std::uint8_t*>(platform::GlobalLock(block_));
    rows_ = rows;
    return true;
}

std::uint8_t* DibBuilder::Row(int y) {
    const int stored = heightKnown_ ? rows_ - 1 - y : y;
    return data_ + bitsOffset_ + stride_ * std::size_t(stored);
}

void DibBuilder::ConvertLine(const std::uint8_t* src) {
    std::uint8_t* dst = Row(row_);
    const std::size_t w = std::size_t(width_);
    std::size_t written = 0;
    switch (kind_) {
    case Kind::Bits1:
        written = (w + 7) / 8;
        std::memcpy(dst, src, written);
        break;
    case Kind::Grey8:
        written = w;
        if (depth_ == 8) {
            std::memcpy(dst, src, w);
        } else {
            for (std::size_t i = 0; i < w; ++i) {
                std::uint16_t v;
                std::memcpy(&v, src + 2 * i, 2);
                dst[i] = std::uint8_t(v >> 8);
            }
        }
        break;
    case Kind::Colour24:
        written = 3 * w;
        if (format_ == SANE_FRAME_RGB && depth_ == 8) {
            SwapRedBlue(src, dst, w);
        } else if (format_ == SANE_FRAME_RGB) {
            for (std::size_t i = 0; i < w; ++i, src += 6, dst += 3) {
                std::uint16_t r, g, b;
                std::memcpy(&r, src, 2);
                std::memcpy(&g, src + 2, 2);
                std::memcpy(&b, src + 4, 2);
                dst[0] = std::uint8_t(b >> 8);
                dst[1] = std::uint8_t(g >> 8);
                dst[2] = std::uint8_t(r >> 8);
            }
            dst -= written;
        } else {
            const int channel = ChannelOffset(format_);
            for (std::size_t i = 0; i < w; ++i) {
                std::uint16_t v = src[i];
                if (depth_ == 16) {
                    std::memcpy(&v, src + 2 * i, 2);
                    v >>= 8;
                }
                dst[3 * i + std::size_t(channel)] = std::uint8_t(v);
            }
        }
        break;
    }
    if (frames_ == 1) std::memset(dst + written, 0, stride_ - written);
    ++row_;
}

bool DibBuilder::Add(const std::uint8_t* data, std::size_t size) {
    bytesReceived_ += size;
    while (size > 0) {
        if (row_ >= rows_) {
            if (heightKnown_ || frames_ > 1) return true; // more lines than announced: dropped
            if (!Grow()) return false;
        }
        if (partialSize_ > 0 || size < lineBytes_) {
            const std::size_t take = std::min(lineBytes_ - partialSize_, size);
            std::memcpy(partial_.data() + partialSize_, data, take);
            partialSize_ += take;
            data += take;
            size -= take;
            if (partialSize_ == lineBytes_) {
                ConvertLine(partial_.data());
                partialSize_ = 0;
            }
        } else {
            ConvertLine(data);
            data += lineBytes_;
            size -= lineBytes_;
        }
    }
    return true;
}

void DibBuilder::EndFrame() {
    rowsComplete_ = rowsComplete_ < 0 ? row_ : std::min(rowsComplete_, row_);
}

void DibBuilder::WriteHeader(int rows, int dpi) {
    std::memset(data_, 0, dib::HeaderSize);
    PutU32(data_, dib::HeaderSize);
    PutU32(data_ + dib::WidthOffset, std::uint32_t(width_));
    PutU32(data_ + dib::HeightOffset, std::uint32_t(rows)); // positive: bottom-up
    PutU16(data_ + dib::PlanesOffset, 1);
    PutU16(data_ + dib::BitCountOffset, kind_ == Kind::Bits1 ? 1 : kind_ == Kind::Grey8 ? 8 : 24);
    PutU32(data_ + dib::CompressionOffset, dib::BI_RGB);
    PutU32(data_ + dib::SizeImageOffset, std::uint32_t(stride_ * std::size_t(rows)));
    const auto perMetre = std::uint32_t(std::lround(std::max(dpi, 0) / 0.0254));
    PutU32(data_ + dib::XPelsPerMeterOffset, perMetre);
    PutU32(data_ + dib::YPelsPerMeterOffset, perMetre);
}

platform::GlobalHandle DibBuilder::Finish(int dpi, std::string& problem) {
    if (!data_) {
        problem = "The scan did not start.";
        return nullptr;
    }
    const int rows = std::max(rowsComplete_, 0);
    if (rows == 0) {
        problem = "The scanner delivered no image.";
        return nullptr;
    }
    std::uint8_t* bits = data_ + bitsOffset_;
    if (heightKnown_ && rows < rows_) {
        // The image's rows sit at the end of the block, bottom-up; move them to its start.
        std::memmove(bits, bits + stride_ * std::size_t(rows_ - rows), stride_ * std::size_t(rows));
    } else if (!heightKnown_) {
        std::vector<std::uint8_t> swap(stride_);
        for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
            std::uint8_t* a = bits + stride_ * std::size_t(top);
            std::uint8_t* b = bits + stride_ * std::size_t(bottom);
            std::memcpy(swap.data(), a, stride_);
            std::memcpy(a, b, stride_);
            std::memcpy(b, swap.data(), stride_);
        }
    }
    WriteHeader(rows, dpi);
    platform::GlobalUnlock(block_);
    data_ = nullptr;
    if (rows < rows_) platform::GlobalReAlloc(block_, bitsOffset_ + stride_ * std::size_t(rows));
    platform::GlobalHandle image = block_;
    block_ = nullptr;
    return image;
}

} // namespace twaindsm
