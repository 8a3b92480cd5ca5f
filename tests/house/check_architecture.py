#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The dependencies of the source folders go one way:

    app -> print -> dialogs -> canvas -> raster -> drawing -> platform
    app -> mousetools -> canvas;  app -> scan -> canvas;  convert -> drawing;
    trace -> convert, raster

(platform/ui, the widget pieces of the platform, sits beside platform for whoever may use
widgets; printing uses the dialogs' look, so it stands above them). A file may include headers of its own folder and of the folders below it, never
of one above it or beside it. drawing, raster and platform (but for platform/ui) do not
use QtWidgets, so that a command-line tool and the tests use them without a window.

usage: check_architecture.py SOURCE_DIR QTWIDGETS_INCLUDE_DIR
Prints every offending include and exits 1 when there is one.
"""
import os
import re
import sys

BELOW = {
    "platform": set(),
    "platform/ui": {"platform"},
    "drawing": {"platform"},
    "raster": {"drawing", "platform"},
    "canvas": {"raster", "drawing", "platform", "platform/ui"},
    "dialogs": {"canvas", "raster", "drawing", "platform", "platform/ui"},
    "print": {"dialogs", "canvas", "raster", "drawing", "platform", "platform/ui"},
    "scan": {"canvas", "raster", "drawing", "platform", "platform/ui"},
    "mousetools": {"canvas", "raster", "drawing", "platform"},
    "convert": {"drawing", "platform"},
    "trace": {"convert", "raster", "drawing", "platform"},
    "app": {"dialogs", "print", "scan", "mousetools", "canvas", "raster", "drawing", "platform",
            "platform/ui"},
}
NO_WIDGETS = {"platform", "drawing", "raster", "convert", "trace"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def folder_of(relative):
    parts = relative.split("/")
    if parts[0] == "platform" and len(parts) > 2 and parts[1] == "ui":
        return "platform/ui"
    return parts[0]


def main():
    source, widgets_dir = sys.argv[1], sys.argv[2]
    widget_headers = {name for name in os.listdir(widgets_dir) if name[:1] == "Q"}
    problems = []
    src = os.path.join(source, "src")
    for dirpath, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            relative = os.path.relpath(path, src)
            folder = folder_of(relative)
            if folder not in BELOW:
                problems.append(f"{relative}: the folder {folder} has no place in the layers")
                continue
            with open(path, encoding="utf-8") as f:
                text = f.read()
            for kind, header in INCLUDE.findall(text):
                if kind == '"':
                    target = folder_of(header) if "/" in header else folder
                    if target in BELOW and target != folder and target not in BELOW[folder]:
                        problems.append(f"{relative}: includes {header} ({folder} may not "
                                        f"depend on {target})")
                elif folder in NO_WIDGETS and (header in widget_headers or
                                               header.startswith("QtWidgets")):
                    problems.append(f"{relative}: includes <{header}> from QtWidgets")
    for p in problems:
        print(p)
    print(f"{len(problems)} offending includes")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
