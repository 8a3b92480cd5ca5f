// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file formats the program reads and writes, in one table: the open and save
// dialogs' filters and their indices, the extension a save adds, and how a file's first
// bytes tell its format. The dialogs, the open and save commands and the command-line
// converter all go by it.

#include <span>
#include <string>
#include <string_view>

namespace platform {

enum class FileFormat { Unknown, Bitmap, Jpeg, Rtv, Metafile, Dxf, Svg, Png, Tiff };

struct FileFormatEntry {
    FileFormat Format;
    int FilterIndex;        // in the open and save dialogs (from 1); 0: not offered there
    const char* Extension;  // added on save when the name lacks it (".bmp")
    const char* OpenFilter; // the open dialog's entry, as the dialog shows it
    const char* SaveFilter; // the save dialog's entry; empty: not saved in this format
    bool Drawing;           // holds vectors: read into and written from the drawing
};

std::span<const FileFormatEntry> FileFormats();
const FileFormatEntry* FormatEntry(FileFormat format);
// The format of a dialog filter index, Unknown for an index no format has.
FileFormat FormatOfFilterIndex(int index);
// Whether the format holds a raster (BMP, JPEG, PNG, TIFF).
bool IsRasterFormat(FileFormat format);
// By the extension of the name, letter case ignored.
FileFormat FormatOfExtension(std::string_view fileName);
// By the first bytes of a file (a few hundred are plenty).
FileFormat FormatOfContent(std::string_view head);
// By the first bytes of the named file; Unknown when it cannot be read.
FileFormat FormatOfFile(const std::string& fileName);

// "BMP file (*.bmp)|*.bmp|JPEG file  (*.jpg)|*.jpg|…": the dialogs' filter strings.
const char* OpenDialogFilter();
const char* SaveDialogFilter();

} // namespace platform
