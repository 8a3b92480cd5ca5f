// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a synthetic line-art scan: make_sample FILE.bmp|FILE.jpg [WIDTH HEIGHT [SEED]]

#include "SyntheticScan.h"
#include "platform/RasterFiles.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.bmp|FILE.jpg [WIDTH HEIGHT [SEED]]\n", argv[0]);
        return 2;
    }
    const std::string name = argv[1];
    const int width = argc > 3 ? std::atoi(argv[2]) : 1400;
    const int height = argc > 3 ? std::atoi(argv[3]) : 1000;
    const auto seed = std::uint32_t(argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1);
    try {
        const platform::Bitmap24 scan = synthetic::MakeLineArtScan(width, height, seed);
        if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg")
            platform::SaveJpeg(name, scan, 90);
        else
            platform::SaveBmp(name, scan);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
