// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One open SANE device and the few of its options a scan needs: colour mode (with bit
// depth), resolution and scan area, by their well-known option names. Backends name their
// modes differently; Modes() maps what the device offers onto colour, grey and black and
// white. Calls go to the device on the calling thread; only sane_cancel may come from
// another thread while a scan runs.

#include <memory>
#include <optional>
#include <sane/sane.h>
#include <string>
#include <vector>

namespace twaindsm {

enum class ColourMode { Colour, Grey, BlackWhite };

struct ScanArea {
    double left = 0, top = 0, width = 0, height = 0; // millimetres
};

struct ScanSettings {
    ColourMode mode = ColourMode::Colour;
    int resolution = 150; // dots per inch
    ScanArea area;
    bool preview = false;
};

struct DeviceInfo {
    std::string name; // SANE's device name, e.g. "test:0"
    std::string vendor;
    std::string model;
    std::string type;
    std::string Label() const; // "vendor model (name)"
};

// The devices SANE finds (sane_init must have been called). May take seconds.
std::vector<DeviceInfo> FindDevices();

class SaneDevice {
public:
    // Opens a device by name; null with the reason.
    static std::unique_ptr<SaneDevice> Open(const std::string& name, std::string& problem);
    ~SaneDevice();
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;

    SANE_Handle Handle() const { return handle_; }
    const std::string& Name() const { return name_; }

    std::vector<ColourMode> Modes() const;
    // Resolutions to offer; ranged when the device takes any value between min and max.
    std::vector<int> Resolutions() const;
    bool ResolutionRanged() const;
    int ResolutionMin() const;
    int ResolutionMax() const;
    // The whole area the device can scan, or none when it has no area options in mm.
    std::optional<ScanArea> FullArea() const;
    // The settings as the device stands now.
    ScanSettings Current() const;
    // Sets the options; an empty string, or what the device refused.
    std::string Apply(const ScanSettings& settings);
    // The resolution the device will really use.
    int ActualResolution() const;

private:
    SaneDevice(SANE_Handle handle, std::string name);
    int Find(const char* option) const; // 0 when absent
    const SANE_Option_Descriptor* Descriptor(int option) const;
    bool Active(int option) const;
    std::optional<double> GetNumber(int option) const;
    std::string GetString(int option) const;
    SANE_Status SetNumber(int option, double value);
    SANE_Status SetString(int option, const std::string& value);
    std::string ModeName(ColourMode mode, int* depth) const;

    SANE_Handle handle_;
    std::string name_;
};

} // namespace twaindsm
