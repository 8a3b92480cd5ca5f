// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A deterministic line-art "scan" for samples and benchmarks: white paper with light
// noise, thin (one pixel) and thick black lines, circles, text-like blobs and a few filled
// areas, scaled to any size. The same seed gives the same pixels.

#include "platform/Bitmap24.h"

#include <cstdint>

namespace synthetic {

platform::Bitmap24 MakeLineArtScan(int width, int height, std::uint32_t seed = 1);

} // namespace synthetic
