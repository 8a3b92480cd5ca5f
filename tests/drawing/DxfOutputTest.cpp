// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrawingTestSupport.h"
#include "drawing/DXF_exception.h"
#include "drawing/DxfFile.h"
#include "drawing/DxfFormat.h"
#include "drawing/Entities.h"

#include <gtest/gtest.h>
#include <limits>
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

TEST(DxfOutputTest, ControlCharactersCannotStartGroups) {
    // A text or layer name with line breaks would otherwise become further groups.
    Text_ text(WorldZAxis, {0, 0, 0}, "a\r\n0\r\nLINE^", "Arial", 10, 0, 0, 0, 0);
    const Strings t = Lines(text, "L\n8\nX");
    ASSERT_EQ(t.size(), 2u * 9);
    EXPECT_EQ(t[3], "L^J8^JX");
    EXPECT_EQ(t.back(), "a^M^J0^M^JLINE^ ");
}

TEST(DxfOutputTest, NonFiniteNumbersAreNeverWritten) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::ostringstream out(std::ios::binary);
    EXPECT_THROW(Line_({0, 0, 0}, {nan, 0, 0}, 1, 0, 0).WriteDXF(out, "L"), DXF_exception);
    EXPECT_THROW(Circle_(WorldZAxis, {0, 0, 0}, inf, 1, 0, 0, 0, 0).WriteDXF(out, "L"),
                 DXF_exception);
    Text_ text(WorldZAxis, {0, 0, 0}, "t", "Arial", 10, nan, 0, 0, 0);
    EXPECT_THROW(text.WriteDXF(out, "L"), DXF_exception);
    const Polyline_ poly(WorldZAxis, std::vector<Point3>{{0, 0, 0}, {1, -inf, 0}, {2, 0, 0}}, 1, 0,
                         1, 0, 0, false);
    EXPECT_THROW(poly.WriteDXF(out, "L"), DXF_exception);
    EXPECT_THROW(poly.WriteDXFPoint(out, 10, {nan, 0, 0}), DXF_exception);
    EXPECT_TRUE(out.str().empty());
}

TEST(DxfOutputTest, WholeFileLeavesOutWhatItCannotWrite) {
    DXF_Object dxf("t");
    DXF_Layer* layer = dxf.CreateLayer("", false);
    layer->AddEntity(std::make_unique<Line_>(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, 0, 0));
    layer->AddEntity(std::make_unique<Point_>(
        WorldZAxis, Point3{std::numeric_limits<double>::quiet_NaN(), 0, 0}, 1, 0, 0));
    selection_lists all;
    for (auto& list : layer->Lists) all.Lists.push_back(list.get());
    DxfWriteReport report;
    const std::string bytes = DxfFileBytes(all, &report);
    EXPECT_EQ(report.Written, 1u);
    EXPECT_EQ(report.NotFinite, 1u);
    // The empty layer name is layer 0; the file ends with EOF.
    EXPECT_NE(bytes.find("0\r\nLINE\r\n8\r\n0\r\n62\r\n7\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("POINT"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 8), "0\r\nEOF\r\n");
    EXPECT_EQ(DxfLayerName("a<b>c/d\\e\"f:g;h?i*j|k=l`m\tn"), "a_b_c_d_e_f_g_h_i_j_k_l_m_n");
}

} // namespace
} // namespace drawing
