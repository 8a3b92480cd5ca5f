// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSheet.h"

#include "SyntheticScan.h"
#include "platform/RasterFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bench_sheet {

namespace {

constexpr int Width = 10000, Height = 14000; // A0 at 300 dpi
constexpr std::uint8_t Paper = 246;

const char* Stem() {
    const char* stem = std::getenv("PENWRIGHT_SHEET");
    return stem != nullptr && *stem != '\0' ? stem : nullptr;
}

// P4: ink bits, most significant first, rows padded to whole bytes.
void WritePbm(const std::string& name, const platform::Bitmap24& sheet) {
    std::ofstream out(name, std::ios::binary);
    out << "P4\n" << sheet.Width() << " " << sheet.Height() << "\n";
    std::vector<char> row(std::size_t(sheet.Width() + 7) / 8);
    for (int y = 0; y < sheet.Height(); ++y) {
        std::fill(row.begin(), row.end(), 0);
        const std::uint8_t* p = sheet.ScanLine(y);
        for (int x = 0; x < sheet.Width(); ++x) {
            const int grey = (299 * p[3 * x + 2] + 587 * p[3 * x + 1] + 114 * p[3 * x]) / 1000;
            if (grey < 128)
                row[std::size_t(x) / 8] = char(row[std::size_t(x) / 8] | 0x80 >> (x % 8));
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
}

// The synthetic stand-in, written once and removed at exit: the files take nearly half a
// gigabyte.
struct TemporarySheet {
    Files files;
    TemporarySheet() {
        char pattern[] = "/tmp/penwright-sheet-XXXXXX";
        folder = ::mkdtemp(pattern);
        files = {folder + "/a0.bmp", folder + "/a0.jpg", folder + "/a0.pbm"};
        const platform::Bitmap24 scan = synthetic::MakeLineArtScan(Width, Height, 42);
        platform::SaveBmp(files.bmp, scan);
        platform::SaveJpeg(files.jpg, scan, 90);
        WritePbm(files.pbm, scan);
    }
    ~TemporarySheet() {
        for (const std::string* name : {&files.bmp, &files.jpg, &files.pbm})
            std::remove(name->c_str());
        ::rmdir(folder.c_str());
    }
    std::string folder;
};

// Some hosts page out file pages that sit idle for a few seconds, so that a benchmark's
// reads would come now from memory, now from the disk. The sheet's files are held in
// memory for the process's life: every read, ours and the baselines', comes from the page
// cache. Where locking is not allowed, they are only read once ahead.
void HoldInMemory(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        void* map = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED && ::mlock(map, std::size_t(st.st_size)) != 0) {
            volatile unsigned char sum = 0;
            const auto* bytes = static_cast<const unsigned char*>(map);
            for (off_t i = 0; i < st.st_size; i += 4096) sum = sum + bytes[i];
            ::munmap(map, std::size_t(st.st_size));
        }
    }
    ::close(fd);
}

Files Prepare() {
    Files files;
    if (const char* stem = Stem()) {
        files = {std::string(stem) + ".bmp", std::string(stem) + ".jpg",
                 std::string(stem) + ".pbm"};
    } else {
        static TemporarySheet sheet;
        files = sheet.files;
    }
    for (const std::string* name : {&files.bmp, &files.jpg, &files.pbm}) HoldInMemory(*name);
    return files;
}

} // namespace

const Files& SheetFiles() {
    static const Files files = Prepare();
    return files;
}

std::string Name() {
    if (const char* stem = Stem()) {
        const std::string s(stem);
        return s.substr(s.rfind('/') + 1);
    }
    return "synthetic line art (sparse; set PENWRIGHT_SHEET)";
}

platform::Bitmap24 ThresholdedSheet() {
    const std::string& name = SheetFiles().pbm;
    std::ifstream in(name, std::ios::binary);
    std::string magic;
    int width = 0, height = 0;
    in >> magic >> width >> height;
    in.get();
    if (!in || magic != "P4" || !platform::Bitmap24::SizeAcceptable(width, height))
        throw std::runtime_error(name + ": not a P4 bitmap");
    platform::Bitmap24 sheet(width, height);
    std::vector<unsigned char> row(std::size_t(width + 7) / 8);
    for (int y = 0; y < height; ++y) {
        if (!in.read(reinterpret_cast<char*>(row.data()), std::streamsize(row.size())))
            throw std::runtime_error(name + ": ends early");
        std::uint8_t* p = sheet.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = (row[std::size_t(x) / 8] >> (7 - x % 8) & 1) ? 0 : Paper;
            p[3 * x] = p[3 * x + 1] = p[3 * x + 2] = v;
        }
    }
    return sheet;
}

} // namespace bench_sheet
