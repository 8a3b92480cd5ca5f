// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Thinning.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <thread>
#include <vector>

namespace raster {

namespace {

// The pixels of word i of the middle row that the sub-pass deletes. Each neighbour plane
// holds, at bit x, the neighbour of pixel x in that direction.
[[gnu::always_inline]] inline std::uint64_t Deleted(const std::uint64_t* up,
                                                    const std::uint64_t* mid,
                                                    const std::uint64_t* down, int i, int side) {
    const std::uint64_t c = mid[i];
    const std::uint64_t n = up[i], s = down[i];
    const std::uint64_t w = (c << 1) | (mid[i - 1] >> 63), e = (c >> 1) | (mid[i + 1] << 63);
    const std::uint64_t border = side == 0 ? ~n : side == 1 ? ~s : side == 2 ? ~e : ~w;
    const std::uint64_t candidates = c & border;
    if (candidates == 0) return 0;
    const std::uint64_t nw = (n << 1) | (up[i - 1] >> 63), ne = (n >> 1) | (up[i + 1] << 63);
    const std::uint64_t sw = (s << 1) | (down[i - 1] >> 63), se = (s >> 1) | (down[i + 1] << 63);
    // Yokoi's number: the clear side neighbours followed (counter-clockwise) by a set corner
    // or side; simple when exactly one.
    const std::uint64_t t1 = ~e & (ne | n), t2 = ~n & (nw | w), t3 = ~w & (sw | s),
                        t4 = ~s & (se | e);
    const std::uint64_t odd = t1 ^ t2 ^ t3 ^ t4;
    const std::uint64_t twoOrMore = (t1 & t2) | (t3 & t4) | ((t1 | t2) & (t3 | t4));
    const std::uint64_t simple = odd & ~twoOrMore;
    // At least two of the eight neighbours.
    std::uint64_t any = 0, two = 0;
    for (const std::uint64_t v : {n, s, e, w, ne, nw, se, sw}) {
        two |= any & v;
        any |= v;
    }
    return candidates & simple & two;
}

// Which words of each row lost a pixel in each of the last five sub-passes: a bit a word,
// a ring of five slots by sub-pass, rows −1 and height clear. A word is looked at while it
// or one of its eight neighbour words changed within the last four sub-passes: after that
// its pixels have seen every border with the same neighbourhood and found nothing to
// delete. The slot of the current sub-pass is written (each band its own rows) while the
// other four are read.
struct WordChanges {
    static constexpr int Slots = 5;
    int maskWords = 0, height = 0;
    std::vector<std::uint64_t> bits;
    WordChanges(int words, int rows)
        : maskWords((words + 63) / 64), height(rows),
          bits(std::size_t(Slots) * std::size_t(rows + 2) * std::size_t((words + 63) / 64), 0) {}
    std::uint64_t* Row(long t, int y) {
        return bits.data() +
               (std::size_t(t % Slots) * std::size_t(height + 2) + std::size_t(y + 1)) *
                   std::size_t(maskWords);
    }
    void ClearSlot(long t) {
        std::fill_n(Row(t, -1), std::size_t(height + 2) * std::size_t(maskWords), 0);
    }
};

// One sub-pass t over a band of rows [begin, end). above: row begin − 1 as it was when the
// sub-pass began; below: row end as it was. Rows not active are left alone, and words
// whose neighbourhood has not changed lately (every word in the first four sub-passes).
// changed[y] is set for every row that lost a pixel, and the words that did in
// changes' slot t.
void SubPass(LinePlane& plane, int side, long t, int begin, int end,
             const std::vector<char>& active, WordChanges& changes, std::vector<char>& changed,
             std::vector<std::uint64_t>& above, const std::vector<std::uint64_t>& below) {
    const int words = plane.Words(), maskWords = changes.maskWords;
    std::vector<std::uint64_t> saved(static_cast<std::size_t>(words) + 2, 0);
    std::vector<std::uint64_t> look(static_cast<std::size_t>(maskWords), 0);
    std::vector<std::pair<int, std::uint64_t>> deleted; // word, its pixels deleted
    const std::uint64_t lastMask =
        words % 64 == 0 ? ~std::uint64_t(0) : (std::uint64_t(1) << (words % 64)) - 1;
    // above and saved hold guard words at both ends; index 1 is word 0.
    bool aboveSaved = true; // above holds row y − 1 as it was
    for (int y = begin; y < end; ++y) {
        if (!active[std::size_t(y)]) {
            aboveSaved = false;
            continue;
        }
        std::uint64_t* mid = plane.Row(y);
        const std::uint64_t* up = aboveSaved ? above.data() + 1 : plane.Row(y - 1);
        const std::uint64_t* down = y + 1 == end ? below.data() + 1 : plane.Row(y + 1);
        // The words to look at: those changed lately in rows y − 1 … y + 1, and their
        // neighbours in the row.
        if (t <= 4) {
            std::fill(look.begin(), look.end(), ~std::uint64_t(0));
        } else {
            std::fill(look.begin(), look.end(), 0);
            for (long k = t - 4; k < t; ++k)
                for (int dy = -1; dy <= 1; ++dy) {
                    const std::uint64_t* row = changes.Row(k, y + dy);
                    for (int m = 0; m < maskWords; ++m) look[std::size_t(m)] |= row[m];
                }
            std::uint64_t carry = 0;
            for (int m = 0; m < maskWords; ++m) { // spread one word to the right
                const std::uint64_t v = look[std::size_t(m)];
                look[std::size_t(m)] = v | v << 1 | carry;
                carry = v >> 63;
            }
            carry = 0;
            for (int m = maskWords - 1; m >= 0; --m) { // and one to the left
                const std::uint64_t v = look[std::size_t(m)];
                look[std::size_t(m)] |= v >> 1 | carry;
                carry = v << 63;
            }
        }
        look[std::size_t(maskWords - 1)] &= lastMask;
        deleted.clear();
        for (int m = 0; m < maskWords; ++m)
            for (std::uint64_t v = look[std::size_t(m)]; v != 0; v &= v - 1) {
                const int i = 64 * m + std::countr_zero(v);
                if (mid[i] == 0) continue;
                const std::uint64_t d = Deleted(up, mid, down, i, side);
                if (d != 0) deleted.emplace_back(i, d);
            }
        if (deleted.empty()) {
            aboveSaved = false;
            continue;
        }
        std::memcpy(saved.data() + 1, mid, sizeof(std::uint64_t) * std::size_t(words));
        std::uint64_t* mark = changes.Row(t, y);
        for (const auto& [i, d] : deleted) {
            mid[i] &= ~d;
            mark[i / 64] |= std::uint64_t(1) << (i % 64);
        }
        changed[std::size_t(y)] = 1;
        above.swap(saved);
        aboveSaved = true;
    }
}

} // namespace

bool ThinningDeletes(unsigned nb, int side) {
    // A 3 × 3 plane with the centre set, through the same word operation.
    LinePlane plane(0, 0, 3, 3);
    plane.Set(1, 1);
    static constexpr int dx[8] = {-1, 0, 1, 1, 1, 0, -1, -1}, dy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
    for (int k = 0; k < 8; ++k)
        if (nb >> k & 1) plane.Set(1 + dx[k], 1 + dy[k]);
    return (Deleted(plane.Row(0), plane.Row(1), plane.Row(2), 0, side) >> 1 & 1) != 0;
}

bool ThinPlane(LinePlane& plane, const Progress& progress) {
    const int height = plane.Height(), words = plane.Words();
    if (height == 0 || words == 0) return true;
    // The sub-pass in which each row last lost a pixel; a row is looked at while it or a
    // neighbour changed within the last four sub-passes (after that its pixels have seen
    // every border since). At first every row with ink is.
    std::vector<long> lastChange(std::size_t(height) + 2, -100);
    for (int y = 0; y < height; ++y) {
        const std::uint64_t* row = plane.Row(y);
        if (std::any_of(row, row + words, [](std::uint64_t w) { return w != 0; }))
            lastChange[std::size_t(y) + 1] = 0;
    }
    const int threads =
        std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(1, height / 64));
    std::vector<char> active(static_cast<std::size_t>(height)),
        changed(static_cast<std::size_t>(height));
    const std::size_t rowWords = std::size_t(words) + 2;
    std::vector<std::vector<std::uint64_t>> above(static_cast<std::size_t>(threads)),
        below(static_cast<std::size_t>(threads));
    WordChanges wordChanges(words, height);
    int quiet = 0; // sub-passes in a row that deleted nothing
    for (long t = 1; quiet < 4; ++t) {
        int activeRows = 0;
        for (int y = 0; y < height; ++y) {
            const long last = std::max({lastChange[std::size_t(y)], lastChange[std::size_t(y) + 1],
                                        lastChange[std::size_t(y) + 2]});
            active[std::size_t(y)] = char(t - last <= 4);
            activeRows += active[std::size_t(y)];
        }
        std::fill(changed.begin(), changed.end(), 0);
        wordChanges.ClearSlot(t);
        const int side = int((t - 1) % 4);
        // Bands split the rows evenly; each starts from copies of the rows beside it, taken
        // before any band writes.
        const int bands = activeRows >= 256 ? threads : 1;
        std::vector<int> edges(std::size_t(bands) + 1);
        for (int b = 0; b <= bands; ++b)
            edges[std::size_t(b)] = int(std::int64_t(height) * b / bands);
        for (int b = 0; b < bands; ++b) {
            above[std::size_t(b)].assign(rowWords, 0);
            below[std::size_t(b)].assign(rowWords, 0);
            const int first = edges[std::size_t(b)], last = edges[std::size_t(b) + 1];
            std::memcpy(above[std::size_t(b)].data() + 1, plane.Row(first - 1),
                        sizeof(std::uint64_t) * std::size_t(words));
            std::memcpy(below[std::size_t(b)].data() + 1, plane.Row(last),
                        sizeof(std::uint64_t) * std::size_t(words));
        }
        const auto band = [&](int b) {
            SubPass(plane, side, t, edges[std::size_t(b)], edges[std::size_t(b) + 1], active,
                    wordChanges, changed, above[std::size_t(b)], below[std::size_t(b)]);
        };
        std::vector<std::thread> helpers;
        for (int b = 1; b < bands; ++b) helpers.emplace_back(band, b);
        band(0);
        for (std::thread& h : helpers) h.join();
        bool any = false;
        for (int y = 0; y < height; ++y)
            if (changed[std::size_t(y)]) {
                lastChange[std::size_t(y) + 1] = t;
                any = true;
            }
        quiet = any ? 0 : quiet + 1;
        if (progress && side == 3 && !progress(std::min(0.95, double(t) / 48))) return false;
    }
    return true;
}

} // namespace raster
