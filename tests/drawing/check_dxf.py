# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the sample DXF with ezdxf, an independent reader: the file passes its audit,
every entity comes back with its layer, colour, line type, geometry and text, a text
holding line breaks stays one text, and the entity with a NaN coordinate is left out."""
import math
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf.lldxf.encoding import decode_dxf_unicode


def close(a, b, tol=1e-9):
    return all(math.isclose(x, y, abs_tol=tol) for x, y in zip(a, b))


def main():
    writer = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        path = folder + "/sample.dxf"
        out = subprocess.run([writer, path], check=True, capture_output=True, text=True).stdout
        assert out.strip() == "10 written, 1 not finite", out
        with open(path, "rb") as f:
            raw = f.read()
        assert b"\r\n" in raw and b"\n" not in raw.replace(b"\r\n", b""), "lines must end in CR LF"
        assert b"nan" not in raw.lower() and b"inf" not in raw.lower(), "non-finite numbers"
        doc = ezdxf.readfile(path)
        auditor = doc.audit()
        assert not auditor.errors and not auditor.fixes, [str(e) for e in auditor.errors + auditor.fixes]
    assert doc.dxfversion == "AC1009"
    entities = list(doc.modelspace())
    kinds = [e.dxftype() for e in entities]
    assert kinds == ["POINT", "LINE", "LINE", "CIRCLE", "ARC", "POLYLINE", "TEXT", "TEXT", "TEXT",
                     "TEXT"], kinds

    point, line, far, circle, arc, poly, text, evil, unicode, latin1 = entities
    assert point.dxf.layer == "Shapes" and point.dxf.color == 1
    assert close(point.dxf.location, (1, 2, 0))
    assert close(line.dxf.start, (0, 0, 0)) and close(line.dxf.end, (10, 5, 0))
    assert line.dxf.color == 3 and line.dxf.linetype == "DASHED"
    assert far.dxf.start == (123456.789012, -9876543.21, 0), "reals are written exactly"
    assert far.dxf.color == 2
    assert math.isclose(circle.dxf.radius, 2.5) and circle.dxf.color == 5
    assert close(circle.dxf.extrusion, (0, 0.6, 0.8)) and circle.dxf.linetype == "DOT"
    assert math.isclose(arc.dxf.start_angle, 30) and math.isclose(arc.dxf.end_angle, 270)
    assert arc.dxf.color == 4 and arc.dxf.linetype == "DASHDOT"
    assert poly.is_closed and poly.dxf.color == 6 and poly.dxf.linetype == "DIVIDE"
    assert [tuple(v.dxf.location) for v in poly.vertices] == [(0, 0, 0), (4, 0, 0), (4, 3, 0)]
    assert text.dxf.layer == "Notes_ _a_b_", text.dxf.layer
    assert text.dxf.text == "Penwright" and text.dxf.color == 7
    assert math.isclose(text.dxf.height, 12.5) and math.isclose(text.dxf.rotation, 45)
    assert text.dxf.halign == 1 and close(text.dxf.align_point, (7, 8, 0))
    assert evil.dxf.text == "evil^M^J0^M^JLINE^M^J8^M^J0^M^J10^M^J1^ 2", evil.dxf.text
    # Beyond Windows-1252 a character is written as \U+XXXX, which CAD programs show as
    # the character; ezdxf leaves decoding it to its caller in R12 files.
    assert decode_dxf_unicode(unicode.dxf.text) == "Grüße € Ω", unicode.dxf.text
    assert latin1.dxf.text == "Latin-1 été", latin1.dxf.text
    layers = {layer.dxf.name: layer.dxf.color for layer in doc.layers}
    assert "Shapes" in layers and "Notes_ _a_b_" in layers, layers
    linetypes = {lt.dxf.name for lt in doc.linetypes}
    assert {"CONTINUOUS", "DASHED", "DOT", "DASHDOT", "DIVIDE"} <= linetypes, linetypes
    print("ezdxf read", len(entities), "entities, audit clean")


if __name__ == "__main__":
    main()
