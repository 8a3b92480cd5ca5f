// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// All entity classes.
#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Point_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
