// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A one-level undo copy of a rectangle of the raster (the area on screen when a raster
// tool is chosen), taken lazily: copy on write.
//
// Save only notes the rectangle (clipped to the raster) and starts watching the raster
// (platform::PixelWatcher). Whenever pixels of the rectangle are about to change, the
// tiles of 128 × 128 pixels that hold them are copied first, each once; Restore puts the
// copied tiles back (mark bits included, as they were at Save), so that the rectangle is
// exactly as it was, and stops watching. A raster replaced wholesale (a new file, a new
// size) drops the copy: its pixels belong to the picture that was there before.
//
// Cost: Save is a table of one pointer a tile; a write pays one copy of each tile it
// first touches; Restore copies back what was changed. Memory: the changed tiles only.
// Coordinates are raster pixels.

#include "platform/Bitmap24.h"

#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>

namespace raster {

class RasterUndo final : public platform::PixelWatcher {
public:
    static constexpr int TileSize = 128;

    RasterUndo() = default;
    ~RasterUndo() override;
    RasterUndo(const RasterUndo&) = delete;
    RasterUndo& operator=(const RasterUndo&) = delete;

    // SaveRasterUndo: rect in raster pixels (may reach outside the raster).
    void Save(platform::Bitmap24& raster, QRect rect);
    // RestoreRasterUndo: puts back what changed; returns rectangles that hold what was
    // written, one a row of tiles (none when nothing changed or there is no copy).
    std::vector<QRect> Restore(platform::Bitmap24& raster);
    // Forgets the copy (UndoSaved becomes false).
    void Drop();

    QRect UndoRect() const { return undoRect_; }
    bool UndoSaved() const { return undoSaved_; }
    // Bytes held by copied tiles.
    std::size_t CopiedBytes() const { return copiedBytes_; }

    void BeforeWrite(const QRect& rect) override;
    void Replaced() override;

private:
    struct Tile {
        std::unique_ptr<std::uint8_t[]> pixels; // null: not copied yet
    };
    QRect TileRect(int column, int row) const;
    void Unwatch();

    platform::Bitmap24* raster_ = nullptr; // watched while a copy is kept
    QRect undoRect_;
    bool undoSaved_ = false;
    int columns_ = 0, rows_ = 0; // tiles over undoRect_
    std::vector<Tile> tiles_;
    std::vector<int> copied_; // indexes of the copied tiles, in the order copied
    std::size_t copiedBytes_ = 0;
};

} // namespace raster
