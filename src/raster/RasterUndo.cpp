// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterUndo.h"

#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

namespace raster {

namespace {

constexpr const char* UndoFileName = "save.tmp";

void CopyRows(const platform::Bitmap24& from, int fromX, int fromY, platform::Bitmap24& to, int toX,
              int toY, int width, int height) {
    for (int y = 0; y < height; ++y)
        std::memcpy(to.ScanLine(toY + y) + 3 * std::size_t(toX),
                    from.ScanLine(fromY + y) + 3 * std::size_t(fromX), 3 * std::size_t(width));
}

} // namespace

RasterUndo::RasterUndo() = default;
RasterUndo::~RasterUndo() = default;

std::string RasterUndo::FileName() const {
    if (!folder_) return {};
    return QDir(folder_->path()).filePath(UndoFileName).toStdString();
}

void RasterUndo::Save(const platform::Bitmap24& raster, QRect rect) {
    const int left = std::max(rect.left(), 0), top = std::max(rect.top(), 0);
    const int right = std::min(rect.left() + rect.width(), raster.Width());
    const int bottom = std::min(rect.top() + rect.height(), raster.Height());
    const QRect clipped(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    if (clipped.isEmpty()) { // nothing of the raster on screen: an empty copy
        undoRect_ = clipped;
        haveCopy_ = false;
        undoSaved_ = true;
        return;
    }
    if (!folder_) {
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/penwright-XXXXXX");
        if (!folder->isValid())
            throw platform::FileError(QDir::tempPath().toStdString(),
                                      "cannot create a private folder for the undo copy");
        folder_ = std::move(folder);
    }
    if (undoBitmap_.Width() != clipped.width() || undoBitmap_.Height() != clipped.height())
        undoBitmap_ = platform::Bitmap24(clipped.width(), clipped.height());
    CopyRows(raster, left, top, undoBitmap_, 0, 0, clipped.width(), clipped.height());
    platform::SaveBmp(FileName(), undoBitmap_); // throws before anything below changes
    undoRect_ = clipped;
    haveCopy_ = true;
    undoSaved_ = true;
}

QRect RasterUndo::Restore(platform::Bitmap24& raster) {
    if (!haveCopy_) {
        undoSaved_ = false;
        return {};
    }
    const std::string name = FileName();
    platform::Bitmap24 copy = platform::LoadBmp(name);
    if (copy.Width() != undoRect_.width() || copy.Height() != undoRect_.height())
        throw platform::FileError(name, "the undo copy does not match the saved area");
    undoBitmap_ = std::move(copy);
    raster.EndPainting();
    // A raster loaded since the copy was taken may be smaller: write only what fits.
    const int width = std::min(undoRect_.width(), raster.Width() - undoRect_.left());
    const int height = std::min(undoRect_.height(), raster.Height() - undoRect_.top());
    undoSaved_ = false;
    if (width <= 0 || height <= 0) return {};
    CopyRows(undoBitmap_, 0, 0, raster, undoRect_.left(), undoRect_.top(), width, height);
    return QRect(undoRect_.left(), undoRect_.top(), width, height);
}

} // namespace raster
