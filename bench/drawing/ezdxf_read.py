# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the seconds ezdxf takes to read the DXF file named by argv[1] (the import of
ezdxf itself not counted)."""
import sys
import time

import ezdxf

start = time.perf_counter()
doc = ezdxf.readfile(sys.argv[1])
print(f"{time.perf_counter() - start:.3f} {len(doc.modelspace())}")
