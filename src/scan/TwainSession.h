// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The TWAIN client: lets the user choose a scanner and acquires images from it by native
// transfer, each a packed DIB in a movable memory block (platform/GlobalMemory.h). It
// drives a TWAIN source manager — a shared library exporting DSM_Entry, loaded at run
// time — through the TWAIN states 1 to 7 and runs a nested event loop while the source's
// window is up. One session record for the whole program; not re-entrant: a selection or
// acquisition asked for while one is under way returns at once with nothing.
//
// Window handles are native window ids (QWidget::winId()), 0 for none. Every message goes
// to a message box with no owner titled "TWAIN Error".
//
// Where the manager is looked for: the file named by ManagerLibraryName() next to the
// program, then that name on the library path.

#include "platform/GlobalMemory.h"

#include <QtGlobal>
#include <string>

namespace scan {

using WindowHandle = quintptr;
using ImageHandle = platform::GlobalHandle;

inline constexpr int ImageListSize = 999;

// 1 when the user chose a source, 0 otherwise.
int TWAIN_SelectImageSource(WindowHandle window);
// The image of the last completed transfer, or none. Every image in the list belongs to
// the caller from the moment this returns.
ImageHandle TWAIN_AcquireImages(WindowHandle window);
// The image in a slot (0 to 998) of the last acquisition, or none. No bounds check.
ImageHandle TWAIN_ScannedImage(int slot);
// Frees an image; none does nothing.
void TWAIN_FreeImage(ImageHandle image);
// Shows the fixed report of a failed step, with the manager's condition when it has one.
void TWAIN_ReportLastError();

// The session as it stands (for the scan command and tests).
int TWAIN_SessionState();
int TWAIN_ImageCount();

// The manager's file name ("libpenwright-twaindsm.so"), or a path to load instead (tests).
const std::string& ManagerLibraryName();
void SetManagerLibrary(const std::string& nameOrPath);
// Where load manager looks next to the program: dir + "/" + name, without doubling a
// trailing "/".
std::string ManagerPathIn(const std::string& dir, const std::string& name);

} // namespace scan
