// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrawingTestSupport.h"
#include "drawing/DxfFormat.h"
#include "drawing/Entities.h"

#include <gtest/gtest.h>
#include <sstream>

namespace drawing {
namespace {

// The value lines and code lines of the output, CR LF checked and removed.
std::vector<std::string> Lines(const DXF_Entity& e, const std::string& layer) {
    std::ostringstream out(std::ios::binary);
    e.WriteDXF(out, layer);
    const std::string text = out.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "unterminated line";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(lines.size() % 2, 0u);
    return lines;
}

using Strings = std::vector<std::string>;

TEST(DxfOutputTest, LineGroupsInOrder) {
    const Line_ line({0, 0, 0}, {10, 5, 0}, 1, 0, 3);
    EXPECT_EQ(Lines(line, "L1"),
              (Strings{"0", "LINE", "8", "L1", "62", "3", "10", "0.000", "20", "0.000", "30",
                       "0.000", "11", "10.000", "21", "5.000", "31", "0.000"}));
}

TEST(DxfOutputTest, ClosedPolylineHasTwentyGroups) {
    const Polyline_ poly(WorldZAxis, std::vector<Point3>{{0, 0, 0}, {1, 0, 0}, {1, 1.25, 0}}, 1, 0,
                         1, 0, 0, true);
    const Strings lines = Lines(poly, "P");
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[1], "POLYLINE");
    EXPECT_EQ(Strings(lines.begin() + 6, lines.begin() + 18),
              (Strings{"70", "9", "0", "VERTEX", "70", "32", "10", "0.000", "20", "0.000", "30",
                       "0.000"}));
    EXPECT_EQ(lines[35], "1.250");
    EXPECT_EQ(Strings(lines.end() - 2, lines.end()), (Strings{"0", "SEQEND"}));
}

TEST(DxfOutputTest, AxisTextAndArcGroups) {
    const Circle_ tilted({0, 1, 0}, {1, 2, 3}, 4, 1, 0, 0, 0, 2);
    const Strings c = Lines(tilted, "C");
    EXPECT_EQ(Strings(c.begin() + 6, c.begin() + 12),
              (Strings{"210", "0.000", "220", "1.000", "230", "0.000"}));
    EXPECT_EQ(Strings(c.end() - 2, c.end()), (Strings{"40", "4.000"}));

    const Arc_ arc(WorldZAxis, {0, 0, 0}, 1, 30, 270, 1, 0, 0, 0, 0);
    const Strings a = Lines(arc, "A");
    EXPECT_EQ(Strings(a.end() - 4, a.end()), (Strings{"50", "30.000", "51", "270.000"}));

    Text_ text(WorldZAxis, {1, 2, 0}, "Hi there", "Arial", 12.5, 450, 0, 1, 0);
    Strings t = Lines(text, "T");
    ASSERT_EQ(t.size(), 2u * 9);
    EXPECT_EQ(Strings(t.begin() + 12, t.end()),
              (Strings{"40", "12.500", "50", " 4.50000000000000E+0001", "1", "Hi there"}));
    text.Align = 2;
    t = Lines(text, "T");
    ASSERT_EQ(t.size(), 2u * 13);
    EXPECT_EQ(Strings(t.begin() + 18, t.end()),
              (Strings{"11", "1.000", "21", "2.000", "31", "0.000", "72", "2"}));
}

} // namespace
} // namespace drawing
