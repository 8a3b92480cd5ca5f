// SPDX-License-Identifier: GPL-3.0-or-later
// PNG and TIFF files of the kinds scans come in, written here with libpng and libtiff,
// read back pixel for pixel; damaged and hostile ones refused with a clear message.
#include "platform/FileError.h"
#include "platform/FileFormats.h"
#include "platform/RasterFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using platform::Bitmap24;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

// A test picture: a dark diagonal and a dark frame on light paper, with a grey ramp.
unsigned Ink(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) {
    return x == y || x == 0 || y == 0 || x == w - 1 || y == h - 1;
}

struct TiffPage {
    std::uint32_t width = 40, height = 30;
    std::uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint32_t tile = 0; // 0: strips
    std::uint32_t rowsPerStrip = 7;
    // Sample s of pixel (x, y).
    std::function<unsigned(std::uint32_t, std::uint32_t, unsigned)> sample;
};

void WriteTiffPage(TIFF* tif, const TiffPage& p) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, p.orientation);
    if (p.photometric == PHOTOMETRIC_PALETTE) {
        static std::vector<std::uint16_t> r(256), g(256), b(256);
        for (unsigned i = 0; i < 256; ++i) {
            r[i] = std::uint16_t(i * 257);
            g[i] = std::uint16_t((255 - i) * 257);
            b[i] = std::uint16_t(0x8080);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    const auto pack = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t count,
                          std::uint8_t* out) {
        std::vector<unsigned> bits;
        for (std::uint32_t x = x0; x < x0 + count; ++x)
            for (unsigned s = 0; s < p.samples; ++s)
                bits.push_back(x < p.width && y < p.height ? p.sample(x, y, s) : 0);
        std::size_t bit = 0;
        for (const unsigned v : bits) {
            if (p.bits == 16) {
                const std::uint16_t w = std::uint16_t(v);
                std::memcpy(out + bit / 8, &w, 2);
            } else if (p.bits == 8) {
                out[bit / 8] = std::uint8_t(v);
            } else {
                out[bit / 8] |= std::uint8_t(v << (8 - p.bits - bit % 8));
            }
            bit += p.bits;
        }
    };
    if (p.tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, p.tile);
        std::vector<std::uint8_t> tile(std::size_t(TIFFTileSize(tif)));
        for (std::uint32_t ty = 0; ty < p.height; ty += p.tile)
            for (std::uint32_t tx = 0; tx < p.width; tx += p.tile) {
                std::fill(tile.begin(), tile.end(), 0);
                const std::size_t rowBytes = std::size_t(TIFFTileRowSize(tif));
                for (std::uint32_t r = 0; r < p.tile; ++r)
                    pack(ty + r, tx, p.tile, tile.data() + r * rowBytes);
                TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, p.rowsPerStrip);
        std::vector<std::uint8_t> row(std::size_t(TIFFScanlineSize(tif)));
        for (std::uint32_t y = 0; y < p.height; ++y) {
            std::fill(row.begin(), row.end(), 0);
            pack(y, 0, p.width, row.data());
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
    }
}

std::string WriteTiff(const TempDir& dir, const char* name, const std::vector<TiffPage>& pages) {
    const std::string path = dir.Path(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    for (const TiffPage& p : pages) {
        WriteTiffPage(tif, p);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return path;
}

struct PngPicture {
    std::uint32_t width = 33, height = 21;
    int bits = 8, colourType = PNG_COLOR_TYPE_GRAY;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> transparency;
    std::function<unsigned(std::uint32_t, std::uint32_t, unsigned)> sample;
};

std::string WritePng(const TempDir& dir, const char* name, const PngPicture& p) {
    const std::string path = dir.Path(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, p.width, p.height, p.bits, p.colourType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    if (!p.transparency.empty())
        png_set_tRNS(png, info, p.transparency.data(), int(p.transparency.size()), nullptr);
    png_write_info(png, info);
    if (p.bits == 16) png_set_swap(png); // rows below are in our byte order
    const int samples = p.colourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                        : p.colourType == PNG_COLOR_TYPE_RGB        ? 3
                        : p.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                    : 1;
    const std::size_t rowBytes = (std::size_t(p.width) * samples * p.bits + 7) / 8;
    std::vector<std::vector<png_byte>> rows(p.height, std::vector<png_byte>(rowBytes, 0));
    std::vector<png_bytep> pointers;
    for (std::uint32_t y = 0; y < p.height; ++y) {
        std::size_t bit = 0;
        for (std::uint32_t x = 0; x < p.width; ++x)
            for (int s = 0; s < samples; ++s, bit += std::size_t(p.bits)) {
                const unsigned v = p.sample(x, y, unsigned(s));
                if (p.bits == 16) {
                    const std::uint16_t w = std::uint16_t(v);
                    std::memcpy(&rows[y][bit / 8], &w, 2);
                } else if (p.bits == 8) {
                    rows[y][bit / 8] = png_byte(v);
                } else {
                    rows[y][bit / 8] |= png_byte(v << (8 - p.bits - bit % 8));
                }
            }
        pointers.push_back(rows[y].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return path;
}

// Every pixel against the expected blue, green, red.
void ExpectPixels(const Bitmap24& b, std::uint32_t w, std::uint32_t h,
                  const std::function<std::array<int, 3>(std::uint32_t, std::uint32_t)>& bgr,
                  const std::string& what) {
    ASSERT_EQ(b.Width(), int(w)) << what;
    ASSERT_EQ(b.Height(), int(h)) << what;
    int wrong = 0;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::array<int, 3> want = bgr(x, y);
            const std::uint8_t* p = b.ScanLine(int(y)) + 3 * x;
            for (int c = 0; c < 3; ++c)
                if (std::abs(p[c] - want[std::size_t(c)]) > 1 && wrong++ < 3)
                    ADD_FAILURE() << what << ": pixel " << x << ", " << y << " channel " << c
                                  << " is " << int(p[c]) << ", not " << want[std::size_t(c)];
        }
}

std::array<int, 3> Grey(int v) {
    return {v, v, v};
}

void ExpectRefused(const std::string& path, const char* part) {
    try {
        platform::LoadRasterFile(path);
        ADD_FAILURE() << path << " was read";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(path.substr(path.rfind('/') + 1)), std::string::npos)
            << e.what();
    }
}

} // namespace

TEST(TiffFiles, ScansOfEveryKindReadPixelForPixel) {
    TempDir dir;
    struct Case {
        const char* name;
        TiffPage page;
        std::function<std::array<int, 3>(std::uint32_t, std::uint32_t)> expected;
    };
    const auto ink = [](std::uint32_t x, std::uint32_t y, unsigned) { return Ink(x, y, 40, 30); };
    const auto ramp = [](std::uint32_t x, std::uint32_t y, unsigned s) {
        return (x * 6 + y * 2 + s * 40) % 256;
    };
    std::vector<Case> cases;
    {
        TiffPage p; // bilevel, group 4, 1 = black
        p.bits = 1;
        p.photometric = PHOTOMETRIC_MINISWHITE;
        p.compression = COMPRESSION_CCITTFAX4;
        p.rowsPerStrip = 30;
        p.sample = ink;
        cases.push_back({"g4.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             return Grey(Ink(x, y, 40, 30) ? 0 : 255);
                         }});
    }
    {
        TiffPage p; // bilevel, PackBits, 1 = white
        p.bits = 1;
        p.compression = COMPRESSION_PACKBITS;
        p.sample = [](std::uint32_t x, std::uint32_t y, unsigned) { return 1 - Ink(x, y, 40, 30); };
        cases.push_back({"packbits.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             return Grey(Ink(x, y, 40, 30) ? 0 : 255);
                         }});
    }
    {
        TiffPage p; // grey, LZW
        p.compression = COMPRESSION_LZW;
        p.sample = ramp;
        cases.push_back({"grey-lzw.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             return Grey(int((x * 6 + y * 2) % 256));
                         }});
    }
    {
        TiffPage p; // colour, Deflate
        p.samples = 3;
        p.photometric = PHOTOMETRIC_RGB;
        p.compression = COMPRESSION_ADOBE_DEFLATE;
        p.sample = ramp;
        cases.push_back({"rgb-deflate.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             const auto c = [&](unsigned s) {
                                 return int((x * 6 + y * 2 + s * 40) % 256);
                             };
                             return std::array<int, 3>{c(2), c(1), c(0)};
                         }});
    }
    {
        TiffPage p; // colour, 16 bits a sample, no compression
        p.samples = 3;
        p.bits = 16;
        p.photometric = PHOTOMETRIC_RGB;
        p.sample = [](std::uint32_t x, std::uint32_t y, unsigned s) {
            return ((x * 6 + y * 2 + s * 40) % 256) * 257;
        };
        cases.push_back({"rgb16.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             const auto c = [&](unsigned s) {
                                 return int((x * 6 + y * 2 + s * 40) % 256);
                             };
                             return std::array<int, 3>{c(2), c(1), c(0)};
                         }});
    }
    {
        TiffPage p; // palette of 8 bits
        p.photometric = PHOTOMETRIC_PALETTE;
        p.sample = ramp;
        cases.push_back({"palette.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             const int i = int((x * 6 + y * 2) % 256);
                             return std::array<int, 3>{0x80, 255 - i, i};
                         }});
    }
    {
        TiffPage p; // grey of 4 bits
        p.bits = 4;
        p.sample = [](std::uint32_t x, std::uint32_t, unsigned) { return x % 16; };
        cases.push_back({"grey4.tif", p,
                         [](std::uint32_t x, std::uint32_t) { return Grey(int(x % 16 * 17)); }});
    }
    {
        TiffPage p; // colour in tiles, through the RGBA interface
        p.samples = 3;
        p.photometric = PHOTOMETRIC_RGB;
        p.compression = COMPRESSION_LZW;
        p.tile = 16;
        p.sample = ramp;
        cases.push_back({"tiled.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             const auto c = [&](unsigned s) {
                                 return int((x * 6 + y * 2 + s * 40) % 256);
                             };
                             return std::array<int, 3>{c(2), c(1), c(0)};
                         }});
    }
    {
        TiffPage p; // grey stored bottom row first
        p.orientation = ORIENTATION_BOTLEFT;
        p.sample = ramp;
        cases.push_back({"bottom-up.tif", p, [](std::uint32_t x, std::uint32_t y) {
                             return Grey(int((x * 6 + (29 - y) * 2) % 256));
                         }});
    }
    for (const Case& c : cases) {
        const std::string path = WriteTiff(dir, c.name, {c.page});
        EXPECT_EQ(platform::FormatOfFile(path), platform::FileFormat::Tiff) << c.name;
        ExpectPixels(platform::LoadRasterFile(path), 40, 30, c.expected, c.name);
    }
}

TEST(TiffFiles, OfSeveralPagesTheFirstIsRead) {
    TempDir dir;
    TiffPage first, second;
    first.sample = [](std::uint32_t, std::uint32_t, unsigned) { return 10u; };
    second.width = 12;
    second.sample = [](std::uint32_t, std::uint32_t, unsigned) { return 200u; };
    const std::string path = WriteTiff(dir, "pages.tif", {first, second});
    ExpectPixels(
        platform::LoadTiff(path), 40, 30, [](std::uint32_t, std::uint32_t) { return Grey(10); },
        "first page");
}

TEST(PngFiles, EveryColourTypeReadsAndAlphaLiesOnWhite) {
    TempDir dir;
    {
        PngPicture p; // bilevel
        p.bits = 1;
        p.sample = [](std::uint32_t x, std::uint32_t y, unsigned) { return 1 - Ink(x, y, 33, 21); };
        ExpectPixels(
            platform::LoadRasterFile(WritePng(dir, "bilevel.png", p)), 33, 21,
            [](std::uint32_t x, std::uint32_t y) { return Grey(Ink(x, y, 33, 21) ? 0 : 255); },
            "1-bit");
    }
    {
        PngPicture p; // palette with a transparent entry
        p.colourType = PNG_COLOR_TYPE_PALETTE;
        p.palette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}};
        p.transparency = {255, 255, 0};
        p.sample = [](std::uint32_t x, std::uint32_t, unsigned) { return x % 3; };
        ExpectPixels(
            platform::LoadRasterFile(WritePng(dir, "palette.png", p)), 33, 21,
            [](std::uint32_t x, std::uint32_t) {
                const std::array<int, 3> colours[3] = {
                    {30, 20, 10}, {50, 100, 200}, {255, 255, 255}};
                return colours[x % 3];
            },
            "palette");
    }
    {
        PngPicture p; // colour and alpha, 16 bits, interlaced
        p.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        p.bits = 16;
        p.interlaced = true;
        p.sample = [](std::uint32_t x, std::uint32_t y, unsigned s) {
            return s == 3 ? (x < 16 ? 65535u : 0u) : unsigned((x * 7 + y + s * 50) % 256) * 257;
        };
        ExpectPixels(
            platform::LoadRasterFile(WritePng(dir, "rgba16.png", p)), 33, 21,
            [](std::uint32_t x, std::uint32_t y) {
                if (x >= 16) return Grey(255); // transparent: the paper
                const auto c = [&](unsigned s) { return int((x * 7 + y + s * 50) % 256); };
                return std::array<int, 3>{c(2), c(1), c(0)};
            },
            "RGBA 16-bit interlaced");
    }
}

TEST(RasterFiles, DamagedAndHostileFilesAreRefusedClearly) {
    TempDir dir;
    TiffPage page;
    page.width = 400;
    page.height = 300;
    page.compression = COMPRESSION_LZW;
    page.sample = [](std::uint32_t x, std::uint32_t y, unsigned) { return (x * 13 + y * 7) % 251; };
    const std::string tiff = WriteTiff(dir, "good.tif", {page});
    PngPicture picture;
    picture.width = 300;
    picture.height = 200;
    picture.sample = [](std::uint32_t x, std::uint32_t y, unsigned) {
        return (x * 13 + y * 7) % 251;
    };
    const std::string png = WritePng(dir, "good.png", picture);
    const auto cut = [&](const std::string& from, const char* name, double share) {
        std::string bytes = ReadAll(from);
        bytes.resize(std::size_t(double(bytes.size()) * share));
        WriteAll(dir.Path(name), bytes);
        return dir.Path(name);
    };
    ExpectRefused(cut(png, "cut.png", 0.5), "truncated");
    ExpectRefused(cut(tiff, "cut.tif", 0.6), "TIFF");
    // A header claiming a picture far larger than the file could hold.
    {
        std::string bytes = ReadAll(png);
        bytes[16] = 0; // width 0x0000012C → 0x0000912C with the next byte
        bytes[17] = 0;
        bytes[18] = char(0x91);
        bytes[20] = 0;
        bytes[21] = 0;
        bytes[22] = char(0x91);
        WriteAll(dir.Path("huge.png"), bytes);
        ExpectRefused(dir.Path("huge.png"), ""); // the header's checksum or the size
    }
    // A chunk after the header that claims gigabytes: refused before anything that large is
    // allocated, not read as far as the file goes.
    {
        std::string bytes = ReadAll(png).substr(0, 33); // signature and IHDR
        bytes += std::string("\x72\x45\x58\x74tEXt", 8) + "Read Error";
        WriteAll(dir.Path("greedy.png"), bytes);
        ExpectRefused(dir.Path("greedy.png"), "does not have");
    }
    {
        TiffPage big = page;
        big.width = 40000;
        big.height = 40000;
        big.compression = COMPRESSION_LZW;
        big.rowsPerStrip = 40000;
        // Write only a header: a strip that claims far too little for the picture.
        const std::string path = dir.Path("huge.tif");
        TIFF* tif = TIFFOpen(path.c_str(), "w");
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, big.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, big.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, big.height);
        std::vector<std::uint8_t> row(big.width, 0);
        TIFFWriteRawStrip(tif, 0, row.data(), 100);
        TIFFClose(tif);
        ExpectRefused(path, "too short");
    }
    ExpectRefused(dir.Path("missing.tif"), "");
    WriteAll(dir.Path("text.tif"), std::string("II*\0 not really", 16));
    ExpectRefused(dir.Path("text.tif"), "TIFF");
}

TEST(FileFormats, PngAndTiffAreOpenedNotSaved) {
    using platform::FileFormat;
    EXPECT_EQ(platform::FormatOfContent("\x89PNG\r\n\x1A\n...."), FileFormat::Png);
    EXPECT_EQ(platform::FormatOfContent(std::string("II*\0", 4)), FileFormat::Tiff);
    EXPECT_EQ(platform::FormatOfContent(std::string("MM\0*", 4)), FileFormat::Tiff);
    EXPECT_EQ(platform::FormatOfExtension("/a/scan.TIFF"), FileFormat::Tiff);
    EXPECT_EQ(platform::FormatOfExtension("scan.png"), FileFormat::Png);
    const std::string open = platform::OpenDialogFilter(), save = platform::SaveDialogFilter();
    EXPECT_NE(open.find("PNG file (*.png)"), std::string::npos);
    EXPECT_NE(open.find("TIFF file (*.tif *.tiff)"), std::string::npos);
    EXPECT_EQ(save.find("PNG"), std::string::npos);
    EXPECT_EQ(save.find("TIFF"), std::string::npos);
    EXPECT_TRUE(platform::IsRasterFormat(FileFormat::Tiff));
    EXPECT_FALSE(platform::IsRasterFormat(FileFormat::Dxf));
}
