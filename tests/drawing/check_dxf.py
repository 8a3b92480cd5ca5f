# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the sample DXF with ezdxf, an independent reader, and checks every entity."""
import math
import subprocess
import sys
import tempfile

import ezdxf


def close(a, b, tol=1e-3):
    return all(math.isclose(x, y, abs_tol=tol) for x, y in zip(a, b))


def main():
    writer = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        path = folder + "/sample.dxf"
        subprocess.run([writer, path], check=True)
        with open(path, "rb") as f:
            raw = f.read()
        assert b"\r\n" in raw and b"\n" not in raw.replace(b"\r\n", b""), "lines must end in CR LF"
        doc = ezdxf.readfile(path)
    entities = list(doc.modelspace())
    kinds = [e.dxftype() for e in entities]
    assert kinds == ["POINT", "LINE", "CIRCLE", "ARC", "POLYLINE", "TEXT"], kinds

    point, line, circle, arc, poly, text = entities
    assert point.dxf.layer == "Shapes" and point.dxf.color == 1
    assert close(point.dxf.location, (1, 2, 0))
    assert close(line.dxf.start, (0, 0, 0)) and close(line.dxf.end, (10, 5, 0))
    assert line.dxf.color == 3
    assert math.isclose(circle.dxf.radius, 2.5)
    assert close(circle.dxf.extrusion, (0, 0.6, 0.8))
    assert math.isclose(arc.dxf.start_angle, 30) and math.isclose(arc.dxf.end_angle, 270)
    assert poly.is_closed and poly.is_3d_polyline
    assert [tuple(v.dxf.location) for v in poly.vertices] == [(0, 0, 0), (4, 0, 0), (4, 3, 0)]
    assert text.dxf.layer == "Notes" and text.dxf.text == "Penwright"
    assert math.isclose(text.dxf.height, 12.5) and math.isclose(text.dxf.rotation, 45)
    assert text.dxf.halign == 1 and close(text.dxf.align_point, (7, 8, 0))
    print("ezdxf read", len(entities), "entities")


if __name__ == "__main__":
    main()
