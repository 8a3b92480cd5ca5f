// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileFormats.h"

#include "platform/FileError.h"
#include "platform/InputFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <unistd.h>

namespace platform {

namespace {

// The open dialog's JPEG and WMF entries have two spaces before the parenthesis.
constexpr FileFormatEntry Table[] = {
    {FileFormat::Bitmap, 1, ".bmp", "BMP file (*.bmp)", "BMP file (*.bmp)", false},
    {FileFormat::Jpeg, 2, ".jpg", "JPEG file  (*.jpg)", "JPEG file (*.jpg)", false},
    {FileFormat::Rtv, 3, ".rtv", "RTV file (*.rtv)", "RTV file (*.rtv)", true},
    {FileFormat::Metafile, 4, ".wmf", "WMF file  (*.wmf)", "WMF file (*.wmf)", true},
    {FileFormat::Dxf, 5, ".dxf", "DXF file (*.dxf)", "DXF file (*.dxf)", true},
    {FileFormat::Svg, 0, ".svg", "", "", true},
    // Opened, not saved: the open dialog's later entries.
    {FileFormat::Png, 6, ".png", "PNG file (*.png)", "", false},
    {FileFormat::Tiff, 7, ".tif", "TIFF file (*.tif *.tiff)", "", false},
};

std::string Filter(bool open) {
    std::string filter;
    for (const FileFormatEntry& e : Table) {
        if (e.FilterIndex == 0 || (!open && *e.SaveFilter == '\0')) continue;
        if (!filter.empty()) filter += '|';
        filter += open ? e.OpenFilter : e.SaveFilter;
        filter += "|*";
        filter += e.Extension;
    }
    return filter;
}

std::uint16_t U16(std::string_view s, std::size_t at) {
    return std::uint16_t(static_cast<unsigned char>(s[at]) |
                         (static_cast<unsigned char>(s[at + 1]) << 8));
}

bool LooksLikeTextDxf(std::string_view s) {
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    // The first group: code 0 and SECTION, or a 999 comment.
    std::size_t i = s.find_first_not_of(" \t\r\n");
    if (i == std::string_view::npos) return false;
    s.remove_prefix(i);
    const std::size_t end = s.find('\n');
    if (end == std::string_view::npos) return false;
    std::string_view code = s.substr(0, end);
    while (!code.empty() && (code.back() == '\r' || code.back() == ' ')) code.remove_suffix(1);
    if (code == "999") return true;
    if (code != "0") return false;
    std::string_view value = s.substr(end + 1);
    value = value.substr(0, value.find('\n'));
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.remove_suffix(1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return value == "SECTION";
}

} // namespace

std::span<const FileFormatEntry> FileFormats() {
    return Table;
}

const FileFormatEntry* FormatEntry(FileFormat format) {
    for (const FileFormatEntry& e : Table)
        if (e.Format == format) return &e;
    return nullptr;
}

FileFormat FormatOfFilterIndex(int index) {
    for (const FileFormatEntry& e : Table)
        if (e.FilterIndex == index && index != 0) return e.Format;
    return FileFormat::Unknown;
}

FileFormat FormatOfExtension(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return FileFormat::Unknown;
    std::string extension(fileName.substr(dot));
    for (auto& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".jpeg") return FileFormat::Jpeg;
    if (extension == ".tiff") return FileFormat::Tiff;
    for (const FileFormatEntry& e : Table)
        if (extension == e.Extension) return e.Format;
    return FileFormat::Unknown;
}

bool IsRasterFormat(FileFormat format) {
    return format == FileFormat::Bitmap || format == FileFormat::Jpeg ||
           format == FileFormat::Png || format == FileFormat::Tiff;
}

FileFormat FormatOfContent(std::string_view head) {
    using namespace std::string_view_literals;
    if (head.substr(0, 2) == "BM") return FileFormat::Bitmap;
    if (head.substr(0, 3) == "\xFF\xD8\xFF") return FileFormat::Jpeg;
    if (head.substr(0, 8) == "\x89PNG\r\n\x1A\n"sv) return FileFormat::Png;
    // Little- and big-endian TIFF, and BigTIFF.
    for (const std::string_view magic : {"II*\0"sv, "MM\0*"sv, "II+\0"sv, "MM\0+"sv})
        if (head.substr(0, 4) == magic) return FileFormat::Tiff;
    if (head.size() >= 8 && head[0] == 56 && head.substr(1, 7) == "RTV2000") return FileFormat::Rtv;
    if (head.substr(0, 4) == "\xD7\xCD\xC6\x9A") return FileFormat::Metafile;
    if (head.size() >= 6) {
        const std::uint16_t type = U16(head, 0), words = U16(head, 2), version = U16(head, 4);
        if ((type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300))
            return FileFormat::Metafile;
    }
    if (head.substr(0, 18) == "AutoCAD Binary DXF") return FileFormat::Dxf;
    if (LooksLikeTextDxf(head)) return FileFormat::Dxf;
    std::string_view text =
        head.substr(std::min(head.find_first_not_of(" \t\r\n\xEF\xBB\xBF"), head.size()));
    if (text.substr(0, 5) == "<?xml" || text.substr(0, 4) == "<svg") return FileFormat::Svg;
    return FileFormat::Unknown;
}

FileFormat FormatOfFile(const std::string& fileName) {
    int fd = -1;
    try {
        fd = OpenRegularFile(fileName); // a pipe or folder has no format and is not waited on
    } catch (const FileError&) {
        return FileFormat::Unknown;
    }
    std::string head(512, '\0');
    const ssize_t got = ::read(fd, head.data(), head.size());
    ::close(fd);
    head.resize(got > 0 ? std::size_t(got) : 0);
    return FormatOfContent(head);
}

const char* OpenDialogFilter() {
    static const std::string filter = Filter(true);
    return filter.c_str();
}

const char* SaveDialogFilter() {
    static const std::string filter = Filter(false);
    return filter.c_str();
}

} // namespace platform
