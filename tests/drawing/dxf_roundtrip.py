# SPDX-License-Identifier: GPL-3.0-or-later
"""DXF files written by ezdxf, an independent writer, of every entity type our reader
takes, as R12, R2000 and R2018, in text and binary form, go through penwright-convert
(our reader, then our writer) and are read back by ezdxf: the audit is clean and every
entity comes back with its layer, colour and geometry; inserts come back exploded,
curves as polylines on the curve, MTEXT as plain text, and the unreadable is reported.

usage: dxf_roundtrip.py PENWRIGHT_CONVERT"""
import math
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf.math import Vec3

TOL = 1e-6


def build(version):
    doc = ezdxf.new(version)
    doc.layers.add("Walls", color=1)
    doc.layers.add("Notes", color=5)
    msp = doc.modelspace()
    msp.add_point((1, 2, 3), dxfattribs={"layer": "Walls", "color": 2})
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "Walls", "color": 3})
    msp.add_circle((5, 5), 2.5, dxfattribs={"layer": "Walls"})
    msp.add_arc((-3, 4), 1.5, 30, 270, dxfattribs={"layer": "Walls", "color": 4})
    msp.add_text("Hello", dxfattribs={"layer": "Notes", "height": 2, "rotation": 45,
                                      "insert": (7, 8)})
    msp.add_polyline2d([(0, 0), (4, 0), (4, 3)], dxfattribs={"layer": "Walls"}, close=True)
    msp.add_polyline3d([(0, 0, 0), (1, 2, 3), (4, 5, 6)], dxfattribs={"layer": "Walls"})
    msp.add_polyline2d([(0, 0, 1), (10, 0, 0)], format="xyb", dxfattribs={"layer": "Bulge"})
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)], dxfattribs={"layer": "Solid"})
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 0)], dxfattribs={"layer": "Face"})
    door = doc.blocks.new("Door", base_point=(1, 1))
    door.add_line((1, 1), (2, 1), dxfattribs={"layer": "0", "color": 0})
    door.add_circle((1, 1), 1, dxfattribs={"layer": "Fixed", "color": 6})
    msp.add_blockref("Door", (100, 100), dxfattribs={"layer": "Doors", "rotation": 90,
                                                     "xscale": 2, "yscale": 2, "color": 2})
    if version != "R12":
        msp.add_lwpolyline([(0, 0, 0, 0, 1), (2, 0, 0, 0, 0)], dxfattribs={"layer": "Lw"})
        msp.add_mtext("Multi\\Pline {\\fArial|b1;bold}",
                      dxfattribs={"layer": "Notes", "insert": (1, 1), "char_height": 1.5})
        msp.add_ellipse((0, 0), major_axis=(10, 0), ratio=0.5, dxfattribs={"layer": "Ellipse"})
        msp.add_spline([(0, 0), (1, 2), (3, 3), (6, 1), (8, 4)], dxfattribs={"layer": "Spline"})
        msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "True",
                                                 "true_color": ezdxf.rgb2int((255, 0, 255))})
        msp.add_hatch(dxfattribs={"layer": "Hatch"})
    return doc


def aci_of(entity, doc):
    color = entity.dxf.color
    if color == 256:
        color = doc.layers.get(entity.dxf.layer).dxf.color
    return abs(color)


def near(a, b, tol=TOL):
    return all(math.isclose(x, y, abs_tol=tol) for x, y in zip(a, b))


def by_layer(doc):
    layers = {}
    for e in doc.modelspace():
        layers.setdefault(e.dxf.layer, []).append(e)
    return layers


def check(original, result, label):
    auditor = result.audit()
    assert not auditor.errors and not auditor.fixes, (label, [str(e) for e in auditor.errors])
    got = by_layer(result)

    def one(layer, kind):
        items = [e for e in got.get(layer, []) if e.dxftype() == kind]
        assert len(items) == 1, (label, layer, kind, [e.dxftype() for e in got.get(layer, [])])
        return items[0]

    def lines(layer):
        return [e for e in got.get(layer, []) if e.dxftype() == "LINE"]

    point = one("Walls", "POINT")
    assert near(point.dxf.location, (1, 2, 3)) and point.dxf.color == 2, label
    line = [e for e in lines("Walls") if e.dxf.color == 3]
    assert len(line) == 1 and near(line[0].dxf.start, (0, 0, 0)) and near(line[0].dxf.end, (10, 5, 0))
    circle = one("Walls", "CIRCLE")
    assert near(circle.dxf.center, (5, 5, 0)) and math.isclose(circle.dxf.radius, 2.5)
    assert circle.dxf.color == 1, (label, "by layer: the layer's colour")
    arc = one("Walls", "ARC")
    assert math.isclose(arc.dxf.start_angle, 30) and math.isclose(arc.dxf.end_angle, 270), label
    assert arc.dxf.color == 4
    text = [e for e in got["Notes"] if e.dxftype() == "TEXT" and e.dxf.text == "Hello"]
    assert len(text) == 1 and near(text[0].dxf.insert, (7, 8, 0)), label
    assert math.isclose(text[0].dxf.height, 2) and math.isclose(text[0].dxf.rotation, 45)
    assert text[0].dxf.color == 5

    polys = [e for e in got["Walls"] if e.dxftype() == "POLYLINE"]
    shapes = sorted([[tuple(v.dxf.location) for v in p.vertices] for p in polys])
    assert shapes == sorted([[(0, 0, 0), (4, 0, 0), (4, 3, 0)],
                             [(0, 0, 0), (1, 2, 3), (4, 5, 6)]]), (label, shapes)
    assert sorted(p.is_closed for p in polys) == [False, True]

    # A bulge of 1 from (0, 0) to (10, 0): a half circle about (5, 0).
    bulge = one("Bulge", "POLYLINE")
    vertices = [v.dxf.location for v in bulge.vertices]
    assert len(vertices) > 10 and all(math.isclose(Vec3(v).distance((5, 0, v[2])), 5, abs_tol=TOL)
                                      for v in vertices), label
    solid = one("Solid", "POLYLINE")
    assert [tuple(v.dxf.location) for v in solid.vertices] == [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]
    assert solid.is_closed
    face = one("Face", "POLYLINE")
    assert [tuple(v.dxf.location) for v in face.vertices] == [(0, 0, 0), (1, 0, 0), (1, 1, 0)]

    # The insert, exploded as ezdxf explodes it.
    insert = [e for e in original.modelspace() if e.dxftype() == "INSERT"][0]
    expected = list(insert.virtual_entities())
    door_line = one("Doors", "LINE")
    v_line = [e for e in expected if e.dxftype() == "LINE"][0]
    assert near(door_line.dxf.start, v_line.dxf.start) and near(door_line.dxf.end, v_line.dxf.end)
    assert door_line.dxf.color == 2, (label, "by block: the insert's colour")
    door_circle = one("Fixed", "CIRCLE")
    v_circle = [e for e in expected if e.dxftype() == "CIRCLE"][0]
    assert near(door_circle.dxf.center, v_circle.dxf.center)
    assert math.isclose(door_circle.dxf.radius, v_circle.dxf.radius) and door_circle.dxf.color == 6

    if original.dxfversion == "AC1009":
        return
    lw = one("Lw", "POLYLINE")
    assert all(math.isclose(Vec3(v.dxf.location).distance((1, 0, 0)), 1, abs_tol=TOL)
               for v in lw.vertices), label
    mtext = [e for e in got["Notes"] if e.dxftype() == "TEXT" and e.dxf.text != "Hello"]
    assert len(mtext) == 1 and mtext[0].dxf.text == "Multi line bold", (label, mtext[0].dxf.text)
    ellipse = one("Ellipse", "POLYLINE")
    assert ellipse.is_closed and all(
        math.isclose(v.dxf.location[0] ** 2 / 100 + v.dxf.location[1] ** 2 / 25, 1, abs_tol=TOL)
        for v in ellipse.vertices), label
    spline = one("Spline", "POLYLINE")
    source = [e for e in original.modelspace() if e.dxftype() == "SPLINE"][0]
    tool = source.construction_tool()
    ends = list(tool.points([tool.max_t * 0, tool.max_t]))
    points = [v.dxf.location for v in spline.vertices]
    assert near(points[0], ends[0]) and near(points[-1], ends[1]), (label, points[0], ends)
    # Every vertex lies on the spline: compare with a fine sampling.
    fine = list(tool.points([tool.max_t * i / 20000 for i in range(20001)]))
    assert all(min(Vec3(p).distance(q) for q in fine) < 1e-3 for p in points[::7]), label
    magenta = one("True", "LINE")
    if original.dxfversion >= "AC1018":  # true colours came with R2004
        assert magenta.dxf.color == 6, (label, "a true colour as its nearest index")
    assert "Hatch" not in got


def main():
    converter = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        for version in ("R12", "R2000", "R2018"):
            for form in ("asc", "bin"):
                label = f"{version} {form}"
                source = build(version)
                path_in = f"{folder}/{version}-{form}.dxf"
                path_out = f"{folder}/{version}-{form}-out.dxf"
                source.saveas(path_in, fmt=form)
                run = subprocess.run([converter, path_in, path_out], capture_output=True, text=True)
                assert run.returncode == 0, (label, run.stderr)
                if version != "R12":
                    assert "1 HATCH" in run.stdout, (label, run.stdout)
                check(ezdxf.readfile(path_in), ezdxf.readfile(path_out), label)
                print("ok", label)


if __name__ == "__main__":
    main()
