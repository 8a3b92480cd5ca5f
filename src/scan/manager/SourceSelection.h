// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The source manager's "Select Source" dialog: lists the SANE devices, looked for on a
// thread of their own (network backends may take seconds) while the dialog shows that it
// is looking. The remembered default is chosen at first.

#include "scan/manager/SaneDevice.h"

#include <QDialog>
#include <string>
#include <thread>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QListWidget;

namespace twaindsm {

class SourceSelection : public QDialog {
    Q_OBJECT
public:
    explicit SourceSelection(const std::string& current, QWidget* parent = nullptr);
    ~SourceSelection() override; // waits for the search

    // The device chosen, after the dialog was accepted.
    const DeviceInfo& Chosen() const { return chosen_; }
    // The devices found.
    const std::vector<DeviceInfo>& Devices() const { return devices_; }

private:
    void Found(const std::vector<DeviceInfo>& devices);

    std::string current_;
    std::vector<DeviceInfo> devices_;
    DeviceInfo chosen_;
    QListWidget* list_;
    QLabel* status_;
    QDialogButtonBox* buttons_;
    std::thread search_;
};

} // namespace twaindsm
