// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The source's window, up while the source is enabled: device, resolution, colour mode and
// scan area, a preview of the whole area on which a drag chooses the area, Scan and Close,
// and while the device works a progress bar with a Cancel that stops it. A finished scan
// is handed on as a packed DIB (ImageReady); Close, Escape and the window's close box ask
// the application to close the source (CloseRequested) — the window stays until then.

#include "platform/GlobalMemory.h"
#include "scan/manager/SaneDevice.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace twaindsm {

class ScanJob;

// The whole scan area with the preview in it and the chosen area on top.
class PreviewArea : public QWidget {
    Q_OBJECT
public:
    explicit PreviewArea(QWidget* parent = nullptr);
    void SetFullArea(std::optional<ScanArea> full);
    void SetImage(const QImage& image);
    void SetArea(const ScanArea& area);
    const QImage& Image() const { return image_; }
    QSize sizeHint() const override { return {260, 340}; }

signals:
    void AreaDrawn(const twaindsm::ScanArea& area);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QRectF Page() const; // the whole area in widget pixels
    QPointF ToMillimetres(QPointF p) const;

    std::optional<ScanArea> full_;
    ScanArea area_;
    QImage image_;
    QPointF dragFrom_;
};

class SourceWindow : public QDialog {
    Q_OBJECT
public:
    SourceWindow(const std::vector<DeviceInfo>& devices, SaneDevice* device,
                 QWidget* parent = nullptr);
    ~SourceWindow() override;

    // Shows another device's options (after the source opened it).
    void SetDevice(SaneDevice* device);
    ScanSettings Settings() const;
    bool Scanning() const { return job_ != nullptr; }
    // Stops a scan under way and waits for it.
    void StopScan();

signals:
    void ImageReady(platform::GlobalHandle image); // the receiver owns the image
    void CloseRequested();
    void DeviceChosen(const std::string& name);

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void ShowSettings(const ScanSettings& settings);
    void StartScan(bool preview);
    void ScanFinished(bool preview);
    void SetBusy(bool busy, const QString& status);
    void RequestClose();
    void AreaEdited();

    SaneDevice* device_;
    std::vector<DeviceInfo> devices_;
    std::unique_ptr<ScanJob> job_;
    bool closeAfterScan_ = false;
    QElapsedTimer cancelClock_; // since Cancel was asked for

    QComboBox* deviceBox_;
    QComboBox* resolutionBox_;
    QComboBox* modeBox_;
    QDoubleSpinBox *left_, *top_, *width_, *height_;
    QPushButton* wholeArea_;
    PreviewArea* preview_;
    QPushButton* previewButton_;
    QPushButton* scanButton_;
    QPushButton* closeButton_;
    QPushButton* cancelButton_;
    QProgressBar* progress_;
    QLabel* status_;
    QTimer* progressTimer_;
};

// A preview picture of a packed DIB that this source made (1, 8 or 24 bits a pixel).
QImage PreviewImage(platform::GlobalHandle dib);

} // namespace twaindsm
