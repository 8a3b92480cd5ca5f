// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dlfcn.h>

namespace support {

// sane_exit unloads the backends. SANE's test backend keeps some of its allocations to the
// end of the process; once its library is unmapped the leak checker can no longer say whose
// they are, and they would look like ours. Loading it once more, never to be unloaded,
// keeps its frames named (and the suppression for it precise).
inline void KeepSaneTestBackendMapped() {
    ::dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

} // namespace support
