// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the source manager remembers between runs: the default source (the device the user
// chose last) and the settings last used with each device. Kept in
// $XDG_CONFIG_HOME/penwright/twain-sources.ini (~/.config when unset), read afresh on every
// use so that each run and each test sees the file as it is.

#include "scan/manager/SaneDevice.h"

#include <optional>
#include <string>

namespace twaindsm {

std::string DefaultSource();
void SetDefaultSource(const std::string& device);

std::optional<ScanSettings> RememberedSettings(const std::string& device);
void RememberSettings(const std::string& device, const ScanSettings& settings);

} // namespace twaindsm
