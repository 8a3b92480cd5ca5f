// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterUndo.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace raster {

RasterUndo::~RasterUndo() {
    Unwatch();
}

void RasterUndo::Unwatch() {
    if (raster_ != nullptr && raster_->Watcher() == this) raster_->Watch(nullptr);
    raster_ = nullptr;
}

void RasterUndo::Drop() {
    Unwatch();
    tiles_.clear();
    tiles_.shrink_to_fit();
    copied_.clear();
    copiedBytes_ = 0;
    columns_ = rows_ = 0;
    undoSaved_ = false;
}

QRect RasterUndo::TileRect(int column, int row) const {
    const QRect tile(undoRect_.left() + column * TileSize, undoRect_.top() + row * TileSize,
                     TileSize, TileSize);
    return tile & undoRect_;
}

void RasterUndo::Save(platform::Bitmap24& raster, QRect rect) {
    Drop();
    const int left = std::max(rect.left(), 0), top = std::max(rect.top(), 0);
    const int right = std::min(rect.left() + rect.width(), raster.Width());
    const int bottom = std::min(rect.top() + rect.height(), raster.Height());
    undoRect_ = QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    undoSaved_ = true;
    if (undoRect_.isEmpty()) return; // nothing of the raster on screen: an empty copy
    columns_ = (undoRect_.width() + TileSize - 1) / TileSize;
    rows_ = (undoRect_.height() + TileSize - 1) / TileSize;
    tiles_.resize(std::size_t(columns_) * std::size_t(rows_));
    raster_ = &raster;
    raster.Watch(this);
}

void RasterUndo::BeforeWrite(const QRect& rect) {
    const QRect r = rect & undoRect_;
    if (r.isEmpty() || raster_ == nullptr) return;
    const int c0 = (r.left() - undoRect_.left()) / TileSize;
    const int c1 = (r.right() - undoRect_.left()) / TileSize;
    const int r0 = (r.top() - undoRect_.top()) / TileSize;
    const int r1 = (r.bottom() - undoRect_.top()) / TileSize;
    for (int row = r0; row <= r1; ++row)
        for (int column = c0; column <= c1; ++column) {
            const int index = row * columns_ + column;
            Tile& tile = tiles_[std::size_t(index)];
            if (tile.pixels) continue;
            const QRect t = TileRect(column, row);
            const std::size_t rowBytes = 3 * std::size_t(t.width());
            // Without memory for the copy the undo cannot be complete: it is given up,
            // and the change goes ahead.
            tile.pixels.reset(new (std::nothrow) std::uint8_t[rowBytes * std::size_t(t.height())]);
            if (!tile.pixels) {
                Drop();
                return;
            }
            for (int y = 0; y < t.height(); ++y)
                std::memcpy(tile.pixels.get() + rowBytes * std::size_t(y),
                            raster_->ScanLine(t.top() + y) + 3 * std::size_t(t.left()), rowBytes);
            copied_.push_back(index);
            copiedBytes_ += rowBytes * std::size_t(t.height());
        }
}

void RasterUndo::Replaced() {
    Drop();
}

std::vector<QRect> RasterUndo::Restore(platform::Bitmap24& raster) {
    std::vector<QRect> written;
    if (raster_ == &raster && !raster.IsEmpty()) {
        raster.EndPainting();
        std::vector<QRect> rows(static_cast<std::size_t>(rows_));
        for (const int index : copied_) {
            const QRect t = TileRect(index % columns_, index / columns_);
            const std::size_t rowBytes = 3 * std::size_t(t.width());
            const std::uint8_t* pixels = tiles_[std::size_t(index)].pixels.get();
            for (int y = 0; y < t.height(); ++y)
                std::memcpy(raster.ScanLine(t.top() + y) + 3 * std::size_t(t.left()),
                            pixels + rowBytes * std::size_t(y), rowBytes);
            rows[std::size_t(index / columns_)] |= t;
        }
        // One rectangle a row of tiles: whoever follows the changes (the scaled display)
        // works row by row.
        for (const QRect& r : rows)
            if (!r.isEmpty()) written.push_back(r);
    }
    Drop();
    return written;
}

} // namespace raster
