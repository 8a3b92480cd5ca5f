// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrawingTestSupport.h"
#include "drawing/Entities.h"
#include "drawing/selection_lists.h"
#include "platform/FileError.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace drawing {
namespace {

using drawing_test::ReadBytes;
using drawing_test::TempDir;
using drawing_test::WriteBytes;
using Bytes = std::vector<unsigned char>;

std::int32_t Int32At(const Bytes& b, std::size_t offset) {
    std::int32_t v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

double RealAt(const Bytes& b, std::size_t offset) {
    double v;
    std::memcpy(&v, b.data() + offset, 8);
    return v;
}

// A drawing with one layer per name, and the selection of all its lists in tree order.
struct Fixture {
    DXF_Object drawing{"Untitled"};
    selection_lists selection;

    DXF_Layer& Layer(const std::string& name) { return *drawing.CreateLayer(name, true); }
    void SelectAll() {
        selection.Lists.clear();
        for (auto& layer : drawing.Layers)
            for (auto& list : layer->Lists) selection.Lists.push_back(list.get());
    }
};

std::unique_ptr<Text_> MakeText(const std::string& s, double height, double angle = 0) {
    return std::make_unique<Text_>(WorldZAxis, Point3{1, 2, 0}, s, "Arial", height, angle, 1, 0, 0);
}

TEST(RtvFileTest, EmptySelectionWritesOnlyTheHeader) {
    TempDir dir;
    Fixture f;
    f.selection.SaveRTV(dir.File("empty.rtv"));
    const Bytes b = ReadBytes(dir.File("empty.rtv"));
    ASSERT_EQ(b.size(), 54u);
    EXPECT_EQ(b[0], 56);
    EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 35), "RTV2000-by Corvinhaldt Nov 20,1999");
    EXPECT_EQ(std::string(b.begin() + 35, b.begin() + 50), std::string(15, ' '));
    EXPECT_EQ(Int32At(b, 50), 0);
    f.selection.LoadRTV(dir.File("empty.rtv"), f.drawing);
    EXPECT_EQ(f.drawing.LayerCount(), 0);
}

TEST(RtvFileTest, OnePointIs346BytesAtTheKnownOffsets) {
    TempDir dir;
    Fixture f;
    f.Layer("L1").AddEntity(std::make_unique<Point_>(WorldZAxis, Point3{1.5, -2, 3}, 2, 3, 0));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("p.rtv"));
    const Bytes b = ReadBytes(dir.File("p.rtv"));
    ASSERT_EQ(b.size(), 346u);
    EXPECT_EQ(b[54], '*');
    EXPECT_EQ(Int32At(b, 55), 241);
    EXPECT_EQ(b[59], 2);
    EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 62), "L1");
    EXPECT_TRUE(std::all_of(b.begin() + 62, b.begin() + 300, [](auto c) { return c == 0; }));
    EXPECT_EQ(b[300], 'P');
    EXPECT_EQ(RealAt(b, 301), 1.5);
    EXPECT_EQ(RealAt(b, 309), -2);
    EXPECT_EQ(RealAt(b, 317), 3);
    EXPECT_EQ(b[325], '+');
    EXPECT_EQ(Int32At(b, 326), 16);
    EXPECT_EQ(b[334], 2); // pen width
    EXPECT_EQ(b[336], 3); // pen style
}

TEST(RtvFileTest, LineAttributesAndSharedAttributeRecords) {
    TempDir dir;
    Fixture f;
    auto red = std::make_unique<Line_>(Point3{0, 0, 0}, Point3{10, 5, 0}, 1, 0, 0);
    red->Color = 0x000000FF;
    f.Layer("L1").AddEntity(std::move(red));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("l.rtv"));
    const Bytes one = ReadBytes(dir.File("l.rtv"));
    ASSERT_EQ(one.size(), 54u + 246 + 49 + 21);
    EXPECT_EQ(one[300], 'L');
    EXPECT_EQ(RealAt(one, 301 + 24), 10);
    const Bytes expectedBlock = {0xFF, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(one[349], '+');
    EXPECT_EQ(Bytes(one.begin() + 354, one.end()), expectedBlock);

    // Two lines of equal attributes share one '+' record, written after the first.
    auto& lines = *f.drawing.Layers[0]->Lists[0];
    lines.Add(std::make_unique<Line_>(Point3{1, 1, 0}, Point3{2, 2, 0}, 1, 0, 0));
    lines.Entities[1]->Color = 0x000000FF;
    f.selection.SaveRTV(dir.File("l.rtv"));
    const Bytes two = ReadBytes(dir.File("l.rtv"));
    ASSERT_EQ(two.size(), 54u + 246 + 49 + 21 + 49);
    EXPECT_EQ(two[349], '+');
    EXPECT_EQ(two[370], 'L');
}

TEST(RtvFileTest, ShortPolylinesAreNotWrittenNorCompared) {
    TempDir dir;
    Fixture f;
    auto& layer = f.Layer("L");
    const std::vector<Point3> two = {{0, 0, 0}, {1, 1, 0}};
    const std::vector<Point3> four = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    // Saved last to first: the 4-vertex polyline, the 2-vertex one, then the first again.
    layer.AddEntity(std::make_unique<Polyline_>(WorldZAxis, four, 1, 0, 1, 0, 3, false));
    layer.AddEntity(std::make_unique<Polyline_>(WorldZAxis, two, 5, 0, 1, 0, 4, false));
    layer.AddEntity(std::make_unique<Polyline_>(WorldZAxis, four, 1, 0, 1, 0, 3, false));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("o.rtv"));
    const Bytes b = ReadBytes(dir.File("o.rtv"));
    EXPECT_EQ(b.size(), 54u + 246 + (5 + 96) + 21 + (5 + 96));

    Fixture loaded;
    loaded.selection.LoadRTV(dir.File("o.rtv"), loaded.drawing);
    const auto& polys = loaded.drawing.Layers[0]->Lists[0]->Entities;
    ASSERT_EQ(polys.size(), 2u);
    const auto& poly = static_cast<const Polyline_&>(*polys[0]);
    EXPECT_TRUE(poly.Closed); // the record has no closed flag
    EXPECT_EQ(poly.Count(), 4);
    EXPECT_EQ(poly.Color, f.drawing.Layers[0]->Lists[0]->Entities[0]->Color);
}

TEST(RtvFileTest, TextsKeepWholeHeightsAndGetTheirOwnStyleRecords) {
    TempDir dir;
    Fixture f;
    auto& layer = f.Layer("T");
    layer.AddEntity(MakeText("a", 12.5));
    layer.AddEntity(MakeText("b", 12.5));
    layer.AddEntity(MakeText("c", 12, 900));
    layer.AddEntity(MakeText("d", 12, 900));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("t.rtv"));
    const Bytes b = ReadBytes(dir.File("t.rtv"));
    // d, its style; c (same style); b, its style (12.5 is not 12); a, its style again.
    EXPECT_EQ(b.size(), 54u + 246 + 4 * 285 + 3 * 277);
    const std::size_t styleOfD = 300 + 285;
    EXPECT_EQ(b[styleOfD], '-');
    EXPECT_EQ(Int32At(b, styleOfD + 1), 272);
    EXPECT_EQ(b[styleOfD + 5], 5);
    EXPECT_EQ(Int32At(b, styleOfD + 5 + 256), 12);
    EXPECT_EQ(Int32At(b, styleOfD + 5 + 268), 900);
    EXPECT_EQ(b[styleOfD + 5 + 264], 1); // bold

    Fixture loaded;
    loaded.selection.LoadRTV(dir.File("t.rtv"), loaded.drawing);
    const auto& texts = loaded.drawing.Layers[0]->Lists[0]->Entities;
    ASSERT_EQ(texts.size(), 4u);
    const char* expectedOrder[] = {"d", "c", "b", "a"}; // reversed
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& t = static_cast<const Text_&>(*texts[i]);
        EXPECT_EQ(t.TextString, expectedOrder[i]);
        EXPECT_EQ(t.Height, 12);
        EXPECT_EQ(t.FontName, "Arial");
        EXPECT_EQ(t.FontStyle, 1);
        EXPECT_EQ(t.Angle, i < 2 ? 900 : 0);
    }

    // An angle from a file is brought within one turn, however large.
    Bytes hostile = b;
    const std::int32_t extreme = INT32_MIN;
    std::memcpy(&hostile[styleOfD + 5 + 268], &extreme, 4);
    WriteBytes(dir.File("extreme.rtv"), hostile);
    Fixture extremes;
    extremes.selection.LoadRTV(dir.File("extreme.rtv"), extremes.drawing);
    const auto& d = static_cast<const Text_&>(*extremes.drawing.Layers[0]->Lists[0]->Entities[0]);
    EXPECT_EQ(d.Angle, INT32_MIN % 3600);
}

TEST(RtvFileTest, RoundTripKeepsGeometryAndAttributes) {
    TempDir dir;
    Fixture f;
    auto& layer = f.Layer("Main");
    auto arc = std::make_unique<Arc_>(WorldZAxis, Point3{1, 2, 3}, 4, 0, 0, 2, 3, 5, 0x00ABCDEF, 7);
    arc->Angle1 = 0.5;
    arc->Angle2 = 2.0;
    layer.AddEntity(std::move(arc));
    layer.AddEntity(
        std::make_unique<Circle_>(WorldZAxis, Point3{5, 6, 0}, 2, 1, 1, 6, 0x123456, 3));
    auto point = std::make_unique<Point_>(Point3{0, 1, 0}, Point3{7, 8, 9}, 4, 2, 12);
    layer.AddEntity(std::move(point));
    f.Layer("Other").AddEntity(std::make_unique<Line_>(Point3{0, 0, 0}, Point3{3, 4, 0}, 1, 0, 1));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("r.rtv"));

    Fixture loaded;
    loaded.selection.LoadRTV(dir.File("r.rtv"), loaded.drawing);
    ASSERT_EQ(loaded.drawing.LayerCount(), 2);
    EXPECT_EQ(loaded.drawing.Layers[0]->Name, "Other"); // lists are written last to first
    const DXF_Layer& main = *loaded.drawing.Layers[1];
    ASSERT_EQ(main.ListNames, (std::vector<std::string>{"Point_", "Circle_", "Arc_"}));
    const auto& a = static_cast<const Arc_&>(*main.Lists[2]->Entities[0]);
    EXPECT_EQ(a.Angle1, 0.5);
    EXPECT_EQ(a.Angle2, 2.0);
    EXPECT_EQ(a.Radius, 4);
    EXPECT_EQ(a.Pos, (Point3{1, 2, 3}));
    EXPECT_EQ(a.FillColor, 0x00ABCDEFu);
    EXPECT_EQ(a.BrushStyle, 5);
    EXPECT_EQ(a.PenWidth, 2);
    const auto& p = static_cast<const Point_&>(*main.Lists[0]->Entities[0]);
    EXPECT_EQ(p.OCSMatrix, nullptr); // every entity comes back in world coordinates
    EXPECT_EQ(p.Color, f.drawing.Layers[0]->Lists[2]->Entities[0]->Color);
    EXPECT_EQ(p.PenStyle, 2);

    // Loading again adds to the same layers.
    loaded.selection.LoadRTV(dir.File("r.rtv"), loaded.drawing);
    EXPECT_EQ(loaded.drawing.LayerCount(), 2);
    EXPECT_EQ(main.Lists[2]->Count(), 2);
    EXPECT_EQ(loaded.drawing.Layers[0]->Lists[0]->Count(), 2);
}

TEST(RtvFileTest, LongLayerNamesAreCutAndRepeated) {
    TempDir dir;
    Fixture f;
    auto& layer = f.Layer(std::string(250, 'n'));
    layer.AddEntity(std::make_unique<Point_>(WorldZAxis, Point3{}, 1, 0, 0));
    layer.AddEntity(std::make_unique<Line_>(Point3{}, Point3{1, 1, 0}, 1, 0, 0));
    f.SelectAll();
    f.selection.SaveRTV(dir.File("n.rtv"));
    const Bytes b = ReadBytes(dir.File("n.rtv"));
    // The cut name differs from the full one, so each list gets its own layer record.
    EXPECT_EQ(b.size(), 54u + 246 + 49 + 21 + 246 + 25);
    EXPECT_EQ(b[59], 240);
    Fixture loaded;
    loaded.selection.LoadRTV(dir.File("n.rtv"), loaded.drawing);
    ASSERT_EQ(loaded.drawing.LayerCount(), 1);
    EXPECT_EQ(loaded.drawing.Layers[0]->Name, std::string(240, 'n'));
    EXPECT_EQ(loaded.drawing.Layers[0]->ListCount(), 2);
}

TEST(RtvFileTest, AFailedSaveKeepsThePreviousFile) {
    TempDir dir;
    Fixture f;
    f.Layer("L").AddEntity(MakeText("x", 1e20)); // a height no file can store
    f.SelectAll();
    const std::string name = dir.File("keep.rtv");
    WriteBytes(name, {1, 2, 3});
    EXPECT_THROW(f.selection.SaveRTV(name), platform::FileError);
    EXPECT_EQ(ReadBytes(name), (Bytes{1, 2, 3}));
    EXPECT_THROW(f.selection.SaveRTV(dir.File("missing/x.rtv")), platform::FileError);
}

// --- untrusted input ---

Bytes Header() {
    Bytes b(54, ' ');
    b[0] = 56;
    std::fill(b.begin() + 50, b.end(), 0);
    return b;
}

void Append(Bytes& b, const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    b.insert(b.end(), p, p + n);
}
void AppendInt32(Bytes& b, std::int32_t v) {
    Append(b, &v, 4);
}
void AppendPoint(Bytes& b, Point3 p) {
    Append(b, &p, 24);
}

struct BadCase {
    const char* what;
    Bytes tail;          // after a header and one good point record
    const char* message; // part of the error text
};

TEST(RtvFileTest, BadInputGivesAClearErrorAndKeepsWhatWasRead) {
    Bytes huge{'O'};
    AppendInt32(huge, 2000000000);
    Bytes zero{'O'};
    AppendInt32(zero, 0);
    Bytes liar{'*'};
    AppendInt32(liar, 100000);
    Bytes negative{'T'};
    AppendPoint(negative, {});
    AppendInt32(negative, -5);
    Bytes cutPoint{'P', 1, 2, 3};
    Bytes cutStyle{'-'};
    AppendInt32(cutStyle, 272);
    cutStyle.resize(cutStyle.size() + 100);
    const BadCase cases[] = {
        {"unknown tag", {'Z', 0, 0}, "unknown record tag 0x5A"},
        {"2 000 000 000 vertices", huge, "ends inside a record"},
        {"no vertices", zero, "polyline of 0 vertices"},
        {"layer length past the end", liar, "ends inside a record"},
        {"negative text length", negative, "negative length"},
        {"truncated point", cutPoint, "ends inside a record"},
        {"truncated text style", cutStyle, "ends inside a record"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        Bytes file = Header();
        file.push_back('P');
        AppendPoint(file, {1, 1, 0});
        file.insert(file.end(), c.tail.begin(), c.tail.end());
        const std::string name = dir.File("bad.rtv");
        WriteBytes(name, file);
        DXF_Object drawing("d");
        try {
            selection_lists().LoadRTV(name, drawing);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const platform::FileError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.rtv"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        // The point before the fault stays, on the layer with the empty name.
        ASSERT_EQ(drawing.LayerCount(), 1) << c.what;
        EXPECT_EQ(drawing.Layers[0]->Name, "");
        EXPECT_EQ(drawing.Layers[0]->Lists[0]->Count(), 1) << c.what;
    }
    DXF_Object drawing("d");
    EXPECT_THROW(selection_lists().LoadRTV(dir.File("absent.rtv"), drawing), platform::FileError);
    WriteBytes(dir.File("short.rtv"), {56, 'R', 'T'});
    EXPECT_THROW(selection_lists().LoadRTV(dir.File("short.rtv"), drawing), platform::FileError);
}

TEST(RtvFileTest, APipeOrAFolderIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.rtv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Fixture f;
    for (const auto& [name, words] :
         {std::pair{fifo, "not a regular file"}, {dir.File(""), "is a folder"}}) {
        try {
            f.selection.LoadRTV(name, f.drawing);
            ADD_FAILURE() << name << " was read";
        } catch (const platform::FileError& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    }
}

TEST(RtvFileTest, OversizedTextBlocksAreReadWithinTheirBuffers) {
    Bytes file = Header();
    file.push_back('*');
    AppendInt32(file, 300); // longer than the 241-byte buffer: the rest is skipped
    Bytes layer(300, 'x');
    layer[0] = 255; // claims more characters than the buffer holds
    file.insert(file.end(), layer.begin(), layer.end());
    file.push_back('T');
    AppendPoint(file, {1, 2, 0});
    AppendInt32(file, 3); // a short block: a length byte and two characters
    file.insert(file.end(), {200, 'h', 'i'});
    file.push_back('P');
    AppendPoint(file, {5, 5, 0});
    TempDir dir;
    WriteBytes(dir.File("odd.rtv"), file);
    DXF_Object drawing("d");
    selection_lists().LoadRTV(dir.File("odd.rtv"), drawing);
    ASSERT_EQ(drawing.LayerCount(), 1);
    EXPECT_EQ(drawing.Layers[0]->Name, std::string(240, 'x'));
    ASSERT_EQ(drawing.Layers[0]->ListCount(), 2);
    const auto& text = static_cast<const Text_&>(*drawing.Layers[0]->Lists[0]->Entities[0]);
    EXPECT_EQ(text.TextString, "hi");
    EXPECT_EQ(text.FontName, "Times New Roman"); // no style record yet: the defaults
    EXPECT_EQ(text.Height, 12);
    const auto& point = *drawing.Layers[0]->Lists[1]->Entities[0];
    EXPECT_EQ(point.Color, 0u);
    EXPECT_EQ(point.PenWidth, 1);
}

} // namespace
} // namespace drawing
