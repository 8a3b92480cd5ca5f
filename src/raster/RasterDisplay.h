// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scaled display of the raster for the map canvas's image layer.
//
// Method: a pyramid of reduced copies (factors 4, 16, 64, ...) whose pixels are the
// per-channel minimum of the 4 × 4 block below, so dark line work survives every
// reduction (what a black-on-white stretch keeps). Rendering a view picks the level whose
// factor is the largest not above the view's reduction and takes, for each surface
// pixel, the minimum over the level pixels it covers (at most 4 × 4). Zoomed in, it is
// nearest-neighbour sampling. The cost of Render therefore grows with the surface, not
// the raster; the pyramid costs 1/15 of the raster's memory and one pass to build.
//
// Coordinates: raster pixels (row 0 at the top); what a target pixel shows may lie outside
// the raster, which shows the background colour there.

#include "platform/Bitmap24.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

// Which raster pixels each target pixel shows: target column i covers raster columns
// Columns[i] up to, not including, Columns[i + 1], and at least Columns[i] itself (zoomed
// in, neighbouring target columns show the same raster column); rows likewise. So a
// target of w × h pixels has w + 1 column and h + 1 row entries, in ascending order.
struct SourceGrid {
    std::vector<std::int64_t> Columns, Rows;
    // source (raster pixels) stretched evenly over width × height target pixels.
    static SourceGrid Stretched(QRect source, int width, int height);
};

class RasterDisplay {
public:
    // Builds every level from the raster.
    void Rebuild(const platform::Bitmap24& raster);
    // The same in steps, while the raster is being filled from the top: Begin sizes the
    // levels for a raster of width × height, then Built(raster, rows) builds whatever the
    // first `rows` rows (final from now on) make possible; the levels are complete once
    // every row was given.
    void Begin(int width, int height);
    void Built(const platform::Bitmap24& raster, int rows);
    // Rebuilds the blocks of every level that cover a changed raster rectangle (cost: its
    // area).
    void Update(const platform::Bitmap24& raster, QRect changed);
    // The same for scattered changed pixels (an outline's marks, in the order walked):
    // only the blocks holding them, level by level (cost: their number, not their box).
    void UpdatePixels(const platform::Bitmap24& raster, const QPoint* pixels, std::size_t count) {
        NotePixels(raster, pixels, count);
        Flush(raster);
    }
    // UpdatePixels in two halves, for many changes in a row (every outline of a batch of
    // clicks): NotePixels only notes the blocks holding the pixels (cost: their number);
    // Flush rebuilds every noted block once, however many changes it held, and the levels
    // above them. Render draws what was flushed: flush before rendering.
    void NotePixels(const platform::Bitmap24& raster, const QPoint* pixels, std::size_t count);
    void Flush(const platform::Bitmap24& raster);
    bool HasNoted() const { return anyNoted_; }
    void Clear() {
        levels_.clear();
        noted_.clear();
        anyNoted_ = false;
    }

    // Draws the raster pixels that grid gives for each target pixel (Format_RGB32; the grid
    // matches the target's size).
    void Render(const platform::Bitmap24& raster, const SourceGrid& grid, QImage& target,
                QRgb background) const;
    // Draws source (raster pixels) stretched over the whole target.
    void Render(const platform::Bitmap24& raster, QRect source, QImage& target,
                QRgb background) const {
        Render(raster, SourceGrid::Stretched(source, target.width(), target.height()), target,
               background);
    }

    int LevelCount() const { return int(levels_.size()); }
    std::size_t MemoryBytes() const;

private:
    struct Level {
        int width = 0, height = 0, factor = 1;
        std::size_t stride = 0;
        std::vector<std::uint8_t> bytes;
        const std::uint8_t* Row(int y) const { return bytes.data() + std::size_t(y) * stride; }
        std::uint8_t* Row(int y) { return bytes.data() + std::size_t(y) * stride; }
    };
    struct Plane { // a raster or a level, seen the same way by the reducer and renderer
        const std::uint8_t* base;
        std::size_t stride;
        int width, height;
        const std::uint8_t* Row(int y) const { return base + std::size_t(y) * stride; }
    };

    // Level rows [firstRow, endRow), columns [firstColumn, endColumn) (all: endColumn −1).
    static void Reduce(const Plane& from, Level& to, int firstRow, int endRow, int firstColumn = 0,
                       int endColumn = -1);
    Plane PlaneOf(const platform::Bitmap24& raster, int level) const;
    // Drops the notes of the level's pixels [firstRow, endRow) × [firstColumn, endColumn):
    // Update has just rebuilt them.
    void Forget(int level, int firstRow, int endRow, int firstColumn, int endColumn);

    std::vector<Level> levels_; // levels_[0] has factor 4
    std::vector<int> built_;    // rows of each level built so far by Built
    // Per level, one bit per level pixel whose block is to be rebuilt by Flush; sized
    // when first needed.
    std::vector<std::vector<std::uint64_t>> noted_;
    bool anyNoted_ = false;
};

} // namespace raster
