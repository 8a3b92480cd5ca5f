// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileFormats.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(FileFormatsTest, TheContentTellsTheFormat) {
    const struct {
        std::string head;
        FileFormat format;
    } cases[] = {
        {"BM\x36\x00", FileFormat::Bitmap},
        {"\xFF\xD8\xFF\xE0", FileFormat::Jpeg},
        {std::string("\x38RTV2000-by", 11), FileFormat::Rtv},
        {"\xD7\xCD\xC6\x9A", FileFormat::Metafile},
        {std::string("\x01\x00\x09\x00\x00\x03", 6), FileFormat::Metafile},
        {"0\r\nSECTION\r\n2\r\nHEADER\r\n", FileFormat::Dxf},
        {"\xEF\xBB\xBF  0\nSECTION\n", FileFormat::Dxf},
        {"999\ndxfrw\n0\nSECTION\n", FileFormat::Dxf},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), FileFormat::Dxf},
        {"<?xml version=\"1.0\"?><svg", FileFormat::Svg},
        {"  <svg xmlns=", FileFormat::Svg},
        {"0\nLINE\n", FileFormat::Unknown},
        {"hello", FileFormat::Unknown},
        {"", FileFormat::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatOfContent(c.head), c.format) << c.head;
}

TEST(FileFormatsTest, ExtensionsAndTheDialogsComeFromOneTable) {
    EXPECT_EQ(FormatOfExtension("/a/b.c/plan.DXF"), FileFormat::Dxf);
    EXPECT_EQ(FormatOfExtension("photo.jpeg"), FileFormat::Jpeg);
    EXPECT_EQ(FormatOfExtension("drawing.svg"), FileFormat::Svg);
    EXPECT_EQ(FormatOfExtension("/a/b.c/noextension"), FileFormat::Unknown);
    for (int index = 1; index <= 7; ++index) // PNG and TIFF after the five that are saved
        EXPECT_EQ(FormatEntry(FormatOfFilterIndex(index))->FilterIndex, index);
    EXPECT_EQ(FormatOfFilterIndex(0), FileFormat::Unknown);
    EXPECT_EQ(FormatOfFilterIndex(8), FileFormat::Unknown);
    EXPECT_STREQ(SaveDialogFilter(), "BMP file (*.bmp)|*.bmp|JPEG file (*.jpg)|*.jpg|RTV file "
                                     "(*.rtv)|*.rtv|WMF file (*.wmf)|*.wmf|DXF file (*.dxf)|*.dxf");
}

} // namespace
} // namespace platform
