// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds a packed DIB in a movable block from the frames a SANE device delivers, as the
// bytes arrive, with no copy of the whole image on the side:
//   grey, 1 bit      -> 1 bit a pixel, colour table white, black (SANE's 1 is black)
//   grey, 8/16 bits  -> 8 bits, grey table of 256 entries (16-bit samples keep their high byte)
//   RGB, or red, green and blue frames, 8/16 bits -> 24 bits, blue green red
// Rows are stored bottom-up, each padded to four bytes with zeros. When the device knows
// the height, each row goes straight to its final place; when it does not (hand
// scanners), rows are collected top-down in a growing block and reversed at the end.
// A device that stops early gives an image of the rows it delivered.

#include "platform/GlobalMemory.h"

#include <cstddef>
#include <cstdint>
#include <sane/sane.h>
#include <string>
#include <vector>

namespace twaindsm {

class DibBuilder {
public:
    DibBuilder() = default;
    ~DibBuilder();
    DibBuilder(const DibBuilder&) = delete;
    DibBuilder& operator=(const DibBuilder&) = delete;

    // Starts a frame (after sane_start and sane_get_parameters); false with a reason when
    // the frame cannot be taken (a format we do not read, or one that does not match the
    // frames before it) or there is not enough memory.
    bool BeginFrame(const SANE_Parameters& parameters, std::string& problem);
    // Takes bytes as sane_read delivered them; false when memory ran out.
    bool Add(const std::uint8_t* data, std::size_t size);
    void EndFrame();

    // Bytes the device will send for all frames (0 when it does not know), and so far.
    std::uint64_t BytesExpected() const { return bytesExpected_; }
    std::uint64_t BytesReceived() const { return bytesReceived_; }

    // The finished image, whose block the caller then owns; null with a reason when no
    // row arrived. dpi goes into the header's pixels per metre.
    platform::GlobalHandle Finish(int dpi, std::string& problem);

private:
    enum class Kind { Bits1, Grey8, Colour24 };
    bool Grow();
    std::uint8_t* Row(int y);
    void ConvertLine(const std::uint8_t* src);
    void WriteHeader(int rows, int dpi);

    platform::GlobalHandle block_ = nullptr;
    std::uint8_t* data_ = nullptr; // locked while building
    Kind kind_ = Kind::Colour24;
    int width_ = 0;
    int rows_ = 0; // rows the block holds: the height when known, else its capacity
    bool heightKnown_ = true;
    std::size_t stride_ = 0;
    std::size_t bitsOffset_ = 0;
    int frames_ = 0;
    int rowsComplete_ = -1; // rows every finished frame delivered (-1 before the first)

    // The frame under way.
    SANE_Frame format_ = SANE_FRAME_GRAY;
    int depth_ = 8;
    std::size_t lineBytes_ = 0;
    int row_ = 0;
    std::vector<std::uint8_t> partial_; // a line split across reads
    std::size_t partialSize_ = 0;
    std::uint64_t bytesExpected_ = 0;
    std::uint64_t bytesReceived_ = 0;
};

} // namespace twaindsm
