// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/SaneDevice.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sane/saneopts.h>

namespace twaindsm {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Contains(const std::string& s, const char* part) {
    return s.find(part) != std::string::npos;
}

// Resolutions offered when the device takes any value in a range.
constexpr int CommonResolutions[] = {50, 75, 100, 150, 200, 300, 400, 600, 1200, 2400};

} // namespace

std::string DeviceInfo::Label() const {
    std::string label = vendor;
    if (!model.empty()) label += (label.empty() ? "" : " ") + model;
    return label.empty() ? name : label + " (" + name + ")";
}

std::vector<DeviceInfo> FindDevices() {
    std::vector<DeviceInfo> devices;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return devices;
    for (; *list; ++list) {
        const SANE_Device* d = *list;
        devices.push_back({d->name ? d->name : "", d->vendor ? d->vendor : "",
                           d->model ? d->model : "", d->type ? d->type : ""});
    }
    return devices;
}

SaneDevice::SaneDevice(SANE_Handle handle, std::string name)
    : handle_(handle), name_(std::move(name)) {}

SaneDevice::~SaneDevice() {
    sane_close(handle_);
}

std::unique_ptr<SaneDevice> SaneDevice::Open(const std::string& name, std::string& problem) {
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.c_str(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        problem = "The scanner \"" + name + "\" cannot be opened: " + sane_strstatus(status) + ".";
        return nullptr;
    }
    return std::unique_ptr<SaneDevice>(new SaneDevice(handle, name));
}

int SaneDevice::Find(const char* option) const {
    SANE_Int count = 0;
    if (sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return 0;
    for (int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle_, i);
        if (d && d->name && std::strcmp(d->name, option) == 0) return i;
    }
    return 0;
}

const SANE_Option_Descriptor* SaneDevice::Descriptor(int option) const {
    return option > 0 ? sane_get_option_descriptor(handle_, option) : nullptr;
}

bool SaneDevice::Active(int option) const {
    const SANE_Option_Descriptor* d = Descriptor(option);
    return d && SANE_OPTION_IS_ACTIVE(d->cap) && SANE_OPTION_IS_SETTABLE(d->cap);
}

std::optional<double> SaneDevice::GetNumber(int option) const {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || d->size < SANE_Int(sizeof(SANE_Word)) ||
        (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return std::nullopt;
    std::vector<SANE_Word> value(std::size_t(d->size) / sizeof(SANE_Word));
    if (sane_control_option(handle_, option, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return std::nullopt;
    return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(value[0]) : double(value[0]);
}

std::string SaneDevice::GetString(int option) const {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || d->type != SANE_TYPE_STRING || d->size <= 0)
        return {};
    std::vector<char> value(std::size_t(d->size) + 1, '\0');
    if (sane_control_option(handle_, option, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return {};
    return value.data();
}

SANE_Status SaneDevice::SetNumber(int option, double value) {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (!d) return SANE_STATUS_UNSUPPORTED;
    SANE_Word word = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(std::lround(value));
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        // The nearest value the device lists.
        const SANE_Word* list = d->constraint.word_list;
        SANE_Word best = word;
        double bestDistance = -1;
        for (int i = 1; i <= list[0]; ++i) {
            const double distance = std::fabs(double(list[i]) - double(word));
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = list[i];
            }
        }
        word = best;
    } else if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        word = std::clamp(word, d->constraint.range->min, d->constraint.range->max);
    }
    std::vector<SANE_Word> values(
        std::max<std::size_t>(1, std::size_t(d->size) / sizeof(SANE_Word)), word);
    return sane_control_option(handle_, option, SANE_ACTION_SET_VALUE, values.data(), nullptr);
}

SANE_Status SaneDevice::SetString(int option, const std::string& value) {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (!d || d->type != SANE_TYPE_STRING) return SANE_STATUS_UNSUPPORTED;
    std::vector<char> buffer(std::max<std::size_t>(std::size_t(d->size), value.size() + 1), '\0');
    std::memcpy(buffer.data(), value.data(), value.size());
    return sane_control_option(handle_, option, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
}

// The device's name for a colour mode and the bit depth to ask for with it (0: leave it).
std::string SaneDevice::ModeName(ColourMode mode, int* depth) const {
    *depth = 0;
    const SANE_Option_Descriptor* d = Descriptor(Find(SANE_NAME_SCAN_MODE));
    if (!d || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST ||
        !d->constraint.string_list)
        return {};
    std::string colour, grey, lineart;
    for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) {
        const std::string name = *s;
        const std::string l = Lower(name);
        if (Contains(l, "lineart") || Contains(l, "halftone") || Contains(l, "binary")) {
            if (!Contains(l, "color") && (lineart.empty() || l == "lineart")) lineart = name;
        } else if (Contains(l, "color") || Contains(l, "colour")) {
            if (colour.empty() || l == "color") colour = name;
        } else if (Contains(l, "gray") || Contains(l, "grey")) {
            if (grey.empty() || l == "gray") grey = name;
        }
    }
    // Grey at one bit stands in for black and white on devices without a lineart mode.
    bool greyOneBit = false;
    const SANE_Option_Descriptor* dd = Descriptor(Find(SANE_NAME_BIT_DEPTH));
    if (dd && dd->constraint_type == SANE_CONSTRAINT_WORD_LIST && dd->constraint.word_list) {
        for (int i = 1; i <= dd->constraint.word_list[0]; ++i)
            if (dd->constraint.word_list[i] == 1) greyOneBit = true;
    }
    switch (mode) {
    case ColourMode::Colour:
        *depth = colour.empty() ? 0 : 8;
        return colour;
    case ColourMode::Grey:
        *depth = grey.empty() ? 0 : 8;
        return grey;
    case ColourMode::BlackWhite:
        if (!lineart.empty()) return lineart;
        if (!grey.empty() && greyOneBit) {
            *depth = 1;
            return grey;
        }
        return {};
    }
    return {};
}

std::vector<ColourMode> SaneDevice::Modes() const {
    std::vector<ColourMode> modes;
    int depth;
    for (ColourMode m : {ColourMode::Colour, ColourMode::Grey, ColourMode::BlackWhite})
        if (!ModeName(m, &depth).empty()) modes.push_back(m);
    return modes;
}

bool SaneDevice::ResolutionRanged() const {
    const SANE_Option_Descriptor* d = Descriptor(Find(SANE_NAME_SCAN_RESOLUTION));
    return d && d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range;
}

int SaneDevice::ResolutionMin() const {
    const SANE_Option_Descriptor* d = Descriptor(Find(SANE_NAME_SCAN_RESOLUTION));
    if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE || !d->constraint.range) return 1;
    const SANE_Word v = d->constraint.range->min;
    return std::max(1, int(std::ceil(d->type == SANE_TYPE_FIXED ? SANE_UNFIX(v) : v)));
}

int SaneDevice::ResolutionMax() const {
    const SANE_Option_Descriptor* d = Descriptor(Find(SANE_NAME_SCAN_RESOLUTION));
    if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE || !d->constraint.range) return 100000;
    const SANE_Word v = d->constraint.range->max;
    return int(std::floor(d->type == SANE_TYPE_FIXED ? SANE_UNFIX(v) : v));
}

std::vector<int> SaneDevice::Resolutions() const {
    std::vector<int> values;
    const SANE_Option_Descriptor* d = Descriptor(Find(SANE_NAME_SCAN_RESOLUTION));
    if (!d) return values;
    auto number = [d](SANE_Word w) {
        return int(std::lround(d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : w));
    };
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        for (int i = 1; i <= d->constraint.word_list[0]; ++i)
            values.push_back(number(d->constraint.word_list[i]));
    } else if (ResolutionRanged()) {
        const int low = ResolutionMin(), high = ResolutionMax();
        for (int r : CommonResolutions)
            if (r >= low && r <= high) values.push_back(r);
        if (values.empty()) values = {low, high};
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::optional<ScanArea> SaneDevice::FullArea() const {
    const SANE_Option_Descriptor* x = Descriptor(Find(SANE_NAME_SCAN_BR_X));
    const SANE_Option_Descriptor* y = Descriptor(Find(SANE_NAME_SCAN_BR_Y));
    auto usable = [](const SANE_Option_Descriptor* d) {
        return d && d->unit == SANE_UNIT_MM && d->constraint_type == SANE_CONSTRAINT_RANGE &&
               d->constraint.range && (d->type == SANE_TYPE_FIXED || d->type == SANE_TYPE_INT);
    };
    if (!usable(x) || !usable(y)) return std::nullopt;
    auto value = [](const SANE_Option_Descriptor* d, SANE_Word w) {
        return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
    };
    ScanArea area;
    area.left = value(x, x->constraint.range->min);
    area.top = value(y, y->constraint.range->min);
    area.width = value(x, x->constraint.range->max) - area.left;
    area.height = value(y, y->constraint.range->max) - area.top;
    return area;
}

ScanSettings SaneDevice::Current() const {
    ScanSettings s;
    const std::string mode = GetString(Find(SANE_NAME_SCAN_MODE));
    int depth = 0;
    s.mode = ColourMode::Colour;
    for (ColourMode m : {ColourMode::Colour, ColourMode::Grey, ColourMode::BlackWhite}) {
        if (!mode.empty() && ModeName(m, &depth) == mode) {
            s.mode = m;
            if (m == ColourMode::Grey && GetNumber(Find(SANE_NAME_BIT_DEPTH)).value_or(8) == 1 &&
                ModeName(ColourMode::BlackWhite, &depth) == mode)
                s.mode = ColourMode::BlackWhite;
            break;
        }
    }
    s.resolution = int(std::lround(GetNumber(Find(SANE_NAME_SCAN_RESOLUTION)).value_or(150)));
    if (const auto full = FullArea()) {
        const double tlx = GetNumber(Find(SANE_NAME_SCAN_TL_X)).value_or(full->left);
        const double tly = GetNumber(Find(SANE_NAME_SCAN_TL_Y)).value_or(full->top);
        const double brx = GetNumber(Find(SANE_NAME_SCAN_BR_X)).value_or(full->left + full->width);
        const double bry = GetNumber(Find(SANE_NAME_SCAN_BR_Y)).value_or(full->top + full->height);
        s.area = {tlx, tly, brx - tlx, bry - tly};
    }
    return s;
}

std::string SaneDevice::Apply(const ScanSettings& s) {
    auto refused = [](const char* what, SANE_Status status) {
        return std::string("The scanner refuses the ") + what + ": " + sane_strstatus(status) + ".";
    };
    int depth = 0;
    const std::string mode = ModeName(s.mode, &depth);
    if (const int option = Find(SANE_NAME_SCAN_MODE); !mode.empty() && Active(option)) {
        if (SANE_Status st = SetString(option, mode); st != SANE_STATUS_GOOD)
            return refused("colour mode", st);
    }
    if (const int option = Find(SANE_NAME_BIT_DEPTH); depth && Active(option)) {
        if (SANE_Status st = SetNumber(option, depth); st != SANE_STATUS_GOOD)
            return refused("bit depth", st);
    }
    if (const int option = Find(SANE_NAME_SCAN_RESOLUTION); Active(option)) {
        if (SANE_Status st = SetNumber(option, s.resolution); st != SANE_STATUS_GOOD)
            return refused("resolution", st);
    }
    if (FullArea()) {
        const int tlx = Find(SANE_NAME_SCAN_TL_X), tly = Find(SANE_NAME_SCAN_TL_Y);
        const int brx = Find(SANE_NAME_SCAN_BR_X), bry = Find(SANE_NAME_SCAN_BR_Y);
        // The top left twice: a device may clamp it to the bottom right it had before.
        const std::pair<int, double> steps[] = {{tlx, s.area.left},
                                                {tly, s.area.top},
                                                {brx, s.area.left + s.area.width},
                                                {bry, s.area.top + s.area.height},
                                                {tlx, s.area.left},
                                                {tly, s.area.top}};
        for (const auto& [option, value] : steps) {
            if (!Active(option)) continue;
            if (SANE_Status st = SetNumber(option, value); st != SANE_STATUS_GOOD)
                return refused("scan area", st);
        }
    }
    if (const int option = Find(SANE_NAME_PREVIEW); Active(option)) {
        const SANE_Option_Descriptor* d = Descriptor(option);
        if (d->type == SANE_TYPE_BOOL) {
            SANE_Bool on = s.preview ? SANE_TRUE : SANE_FALSE;
            sane_control_option(handle_, option, SANE_ACTION_SET_VALUE, &on, nullptr);
        }
    }
    return {};
}

int SaneDevice::ActualResolution() const {
    return int(std::lround(GetNumber(Find(SANE_NAME_SCAN_RESOLUTION)).value_or(0)));
}

} // namespace twaindsm
