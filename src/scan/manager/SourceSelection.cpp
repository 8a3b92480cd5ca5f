// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/SourceSelection.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace twaindsm {

SourceSelection::SourceSelection(const std::string& current, QWidget* parent)
    : QDialog(parent), current_(current) {
    setObjectName("SourceSelection");
    setWindowTitle("Select Source");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Choose the scanner to scan from:", this));
    list_ = new QListWidget(this);
    list_->setObjectName("SourceList");
    list_->setMinimumSize(360, 160);
    layout->addWidget(list_);
    status_ = new QLabel("Looking for scanners…", this);
    status_->setObjectName("StatusText");
    status_->setWordWrap(true);
    layout->addWidget(status_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText("Select");
    buttons_->button(QDialogButtonBox::Ok)->setObjectName("SelectButton");
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName("CancelButton");
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        const int row = list_->currentRow();
        if (row < 0 || row >= int(devices_.size())) return;
        chosen_ = devices_[std::size_t(row)];
        accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, buttons_, &QDialogButtonBox::accepted);

    search_ = std::thread([this] {
        std::vector<DeviceInfo> devices = FindDevices();
        QMetaObject::invokeMethod(
            this, [this, devices] { Found(devices); }, Qt::QueuedConnection);
    });
}

SourceSelection::~SourceSelection() {
    if (search_.joinable()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        search_.join();
        QApplication::restoreOverrideCursor();
    }
}

void SourceSelection::Found(const std::vector<DeviceInfo>& devices) {
    devices_ = devices;
    int current = 0;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        list_->addItem(QString::fromStdString(devices_[i].Label()));
        if (devices_[i].name == current_) current = int(i);
    }
    if (devices_.empty()) {
        status_->setText("No scanner was found. Check that it is connected and switched on, and "
                         "that SANE lists it (scanimage -L).");
        return;
    }
    status_->setText(QString("%1 found.")
                         .arg(devices_.size() == 1 ? QString("One scanner")
                                                   : QString("%1 scanners").arg(devices_.size())));
    list_->setCurrentRow(current);
    list_->setFocus();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(true);
    buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
}

} // namespace twaindsm
