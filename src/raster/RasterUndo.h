// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A one-level undo copy of a rectangle of the raster (the area on screen when a raster
// tool is chosen), kept as a BMP file in a private temporary folder of the program.
//
// Save copies the rectangle, clipped to the raster, pixel for pixel (mark bits included)
// and writes it; Restore reads it back onto the same rectangle. A failed write or read
// throws platform::FileError and leaves the previous copy and UndoSaved as they were.
// Cost: one copy of the rectangle and one file write or read; nothing raster-sized.

#include "platform/Bitmap24.h"

#include <QRect>
#include <memory>
#include <string>

class QTemporaryDir;

namespace raster {

class RasterUndo {
public:
    RasterUndo();
    ~RasterUndo();
    RasterUndo(const RasterUndo&) = delete;
    RasterUndo& operator=(const RasterUndo&) = delete;

    // SaveRasterUndo: rect in raster pixels (may reach outside the raster).
    void Save(const platform::Bitmap24& raster, QRect rect);
    // RestoreRasterUndo: returns the raster rectangle written (empty when there is no
    // copy). A copy is put back only where it still fits the raster.
    QRect Restore(platform::Bitmap24& raster);

    // Told before the painting tools change pixels of rect. The copy is whole from the
    // moment it is saved, so nothing needs doing yet.
    void BeforeWrite(QRect) {}

    QRect UndoRect() const { return undoRect_; }
    bool UndoSaved() const { return undoSaved_; }
    // The file that holds the copy (empty before the first Save).
    std::string FileName() const;

private:
    std::unique_ptr<QTemporaryDir> folder_; // made at the first Save
    platform::Bitmap24 undoBitmap_;
    QRect undoRect_;
    bool undoSaved_ = false;
    bool haveCopy_ = false; // the file holds the copy of undoRect_
};

} // namespace raster
