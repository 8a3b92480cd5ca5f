// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/ManagerSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace twaindsm {

namespace {

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/penwright/twain-sources.ini";
}

QString DeviceGroup(const std::string& device) {
    // Device names hold ':' and '/', which QSettings would read as structure.
    return "device-" + QString::fromUtf8(QByteArray::fromStdString(device).toHex());
}

const char* ModeKey(ColourMode mode) {
    switch (mode) {
    case ColourMode::Grey:
        return "grey";
    case ColourMode::BlackWhite:
        return "black-and-white";
    default:
        return "colour";
    }
}

} // namespace

std::string DefaultSource() {
    return QSettings(SettingsFile(), QSettings::IniFormat)
        .value("default-source")
        .toString()
        .toStdString();
}

void SetDefaultSource(const std::string& device) {
    QSettings(SettingsFile(), QSettings::IniFormat)
        .setValue("default-source", QString::fromStdString(device));
}

std::optional<ScanSettings> RememberedSettings(const std::string& device) {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    file.beginGroup(DeviceGroup(device));
    if (!file.contains("resolution")) return std::nullopt;
    ScanSettings s;
    const QString mode = file.value("mode").toString();
    s.mode = mode == "grey"              ? ColourMode::Grey
             : mode == "black-and-white" ? ColourMode::BlackWhite
                                         : ColourMode::Colour;
    s.resolution = file.value("resolution").toInt();
    s.area.left = file.value("left").toDouble();
    s.area.top = file.value("top").toDouble();
    s.area.width = file.value("width").toDouble();
    s.area.height = file.value("height").toDouble();
    return s;
}

void RememberSettings(const std::string& device, const ScanSettings& s) {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    file.beginGroup(DeviceGroup(device));
    file.setValue("mode", ModeKey(s.mode));
    file.setValue("resolution", s.resolution);
    file.setValue("left", s.area.left);
    file.setValue("top", s.area.top);
    file.setValue("width", s.area.width);
    file.setValue("height", s.area.height);
}

} // namespace twaindsm
