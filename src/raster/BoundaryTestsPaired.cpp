// SPDX-License-Identifier: GPL-3.0-or-later
// The neighbour sets of two pixels in one pass of 256-bit AVX2 instructions, one pixel in
// each 128-bit half: the same steps as the single-pixel SSE2 versions in the header (which
// AVX2 applies to each half on its own). Only this file's functions use AVX2, and only
// when the processor has it.

#include "raster/BoundaryTests.h"

#if defined(__SSE2__)
#include <immintrin.h>

// Per function rather than a pragma for the file: g++ and clang both honour the attribute.
#define PW_AVX2 __attribute__((target("avx2")))

namespace raster {

namespace {

PW_AVX2 __m256i LoadTwo(const std::uint8_t* first, const std::uint8_t* second) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(second)), 1);
}

PW_AVX2 __m256i Twice(__m128i v) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(v), v, 1);
}

PW_AVX2 __m256i FloorAverage(__m256i a, __m256i b) {
    return _mm256_add_epi8(
        _mm256_and_si256(a, b),
        _mm256_and_si256(_mm256_srli_epi16(_mm256_xor_si256(a, b), 1), _mm256_set1_epi8(0x7F)));
}

// The neighbour sets of the block indices (bits 3j + k) in bits 0 … 8 and 16 … 24.
unsigned NeighbourSets(unsigned indices, const std::uint8_t* blocks) {
    return blocks[indices & 0x1FF] | unsigned(blocks[indices >> 16 & 0x1FF]) << 8;
}

} // namespace

PW_AVX2 unsigned ColourTest::NeighbourPair(const std::uint8_t* first,
                                           const std::uint8_t* second) const {
    const std::size_t stride = area_.Stride();
    const __m256i zero = _mm256_setzero_si256();
    if (!useRange_) {
        const __m256i sums = Twice(sumWords_);
        __m256i equal[3];
        for (int k = 0; k < 3; ++k) {
            const std::ptrdiff_t row = (std::ptrdiff_t(k) - 1) * std::ptrdiff_t(stride) - 3;
            const __m256i v = LoadTwo(first + row, second + row);
            const __m256i lo = _mm256_unpacklo_epi8(v, zero), hi = _mm256_unpackhi_epi8(v, zero);
            const __m256i sum = _mm256_add_epi16(
                _mm256_add_epi16(lo, _mm256_srli_si256(lo, 2)),
                _mm256_or_si256(_mm256_srli_si256(lo, 4), _mm256_slli_si256(hi, 12)));
            equal[k] = _mm256_cmpeq_epi16(sum, sums);
        }
        const unsigned rows01 =
            unsigned(_mm256_movemask_epi8(_mm256_packs_epi16(equal[0], equal[1])));
        const unsigned row2 = unsigned(_mm256_movemask_epi8(_mm256_packs_epi16(equal[2], zero)));
        return NeighbourSets(
            (rows01 & 0x490049) | (rows01 >> 7 & 0x920092) | (row2 & 0x490049) << 2, blocks_);
    }
    if (range_ < 0) return 0;
    const __m256i one = _mm256_set1_epi8(1);
    __m256i half[4], odd[4];
    for (int k = 0; k < 4; ++k) {
        const std::ptrdiff_t row = (std::ptrdiff_t(k) - 2) * std::ptrdiff_t(stride) - 6;
        const __m256i a = LoadTwo(first + row, second + row);
        const __m256i b = _mm256_srli_si256(a, 3);
        half[k] = FloorAverage(a, b);
        odd[k] = _mm256_and_si256(_mm256_xor_si256(a, b), one);
    }
    const __m256i target = Twice(targetBytes_), range = Twice(rangeBytes_);
    const __m256i columns = Twice(_mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    __m256i within[3];
    for (int k = 0; k < 3; ++k) {
        const __m256i average = FloorAverage(
            half[k], _mm256_add_epi8(half[k + 1], _mm256_and_si256(odd[k], odd[k + 1])));
        const __m256i diff =
            _mm256_or_si256(_mm256_subs_epu8(average, target), _mm256_subs_epu8(target, average));
        const __m256i sum = _mm256_adds_epu8(_mm256_adds_epu8(diff, _mm256_srli_si256(diff, 1)),
                                             _mm256_srli_si256(diff, 2));
        within[k] =
            _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_subs_epu8(sum, range), zero), columns);
    }
    const __m256i block =
        _mm256_or_si256(within[0], _mm256_or_si256(_mm256_slli_si256(within[1], 1),
                                                   _mm256_slli_si256(within[2], 2)));
    return NeighbourSets(unsigned(_mm256_movemask_epi8(block)), blocks_);
}

bool ColourTest::PairsSupported() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}

} // namespace raster

#else

namespace raster {

unsigned ColourTest::NeighbourPair(const std::uint8_t*, const std::uint8_t*) const {
    return 0;
}

bool ColourTest::PairsSupported() {
    return false;
}

} // namespace raster

#endif
