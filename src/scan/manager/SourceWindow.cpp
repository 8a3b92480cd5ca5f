// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/SourceWindow.h"

#include "scan/Twain.h"
#include "scan/manager/ManagerSettings.h"
#include "scan/manager/ScanJob.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace twaindsm {

namespace {

const char* ModeText(ColourMode mode) {
    switch (mode) {
    case ColourMode::Grey:
        return "Grey";
    case ColourMode::BlackWhite:
        return "Black and white";
    default:
        return "Colour";
    }
}

// Longest side of a preview, in pixels.
constexpr double PreviewPixels = 400;

} // namespace

QImage PreviewImage(platform::GlobalHandle dib) {
    const auto* data = static_cast<const std::uint8_t*>(platform::GlobalLock(dib));
    if (!data) return {};
    std::int32_t width, height;
    std::uint16_t bits;
    std::memcpy(&width, data + dib::WidthOffset, 4);
    std::memcpy(&height, data + dib::HeightOffset, 4);
    std::memcpy(&bits, data + dib::BitCountOffset, 2);
    const int colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    const auto stride = qsizetype((std::int64_t(width) * bits + 31) / 32 * 4);
    const QImage::Format format = bits == 1   ? QImage::Format_Mono
                                  : bits == 8 ? QImage::Format_Grayscale8
                                              : QImage::Format_BGR888;
    // The rows are bottom-up: the mirrored copy stands them upright.
    QImage rows(data + dib::HeaderSize + 4 * colours, width, height, stride, format);
    if (bits == 1) rows.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    QImage image = rows.mirrored();
    platform::GlobalUnlock(dib);
    return image;
}

// ---- preview ----------------------------------------------------------------------------

PreviewArea::PreviewArea(QWidget* parent) : QWidget(parent) {
    setObjectName("PreviewArea");
    setMinimumSize(200, 260);
    setCursor(Qt::CrossCursor);
}

void PreviewArea::SetFullArea(std::optional<ScanArea> full) {
    full_ = full;
    image_ = QImage();
    update();
}

void PreviewArea::SetImage(const QImage& image) {
    image_ = image;
    update();
}

void PreviewArea::SetArea(const ScanArea& area) {
    area_ = area;
    update();
}

QRectF PreviewArea::Page() const {
    if (!full_ || full_->width <= 0 || full_->height <= 0) return {};
    const QRectF room = QRectF(rect()).adjusted(4, 4, -4, -4);
    const double scale = std::min(room.width() / full_->width, room.height() / full_->height);
    const QSizeF size(full_->width * scale, full_->height * scale);
    return {room.topLeft(), size};
}

QPointF PreviewArea::ToMillimetres(QPointF p) const {
    const QRectF page = Page();
    const double x = std::clamp((p.x() - page.left()) / page.width(), 0.0, 1.0);
    const double y = std::clamp((p.y() - page.top()) / page.height(), 0.0, 1.0);
    return {full_->left + x * full_->width, full_->top + y * full_->height};
}

void PreviewArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRectF page = Page();
    if (page.isEmpty()) {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, "No scan area to show");
        return;
    }
    painter.fillRect(page, Qt::white);
    if (!image_.isNull()) painter.drawImage(page, image_);
    painter.setPen(Qt::gray);
    painter.drawRect(page);
    const double sx = page.width() / full_->width, sy = page.height() / full_->height;
    const QRectF chosen(page.left() + (area_.left - full_->left) * sx,
                        page.top() + (area_.top - full_->top) * sy, area_.width * sx,
                        area_.height * sy);
    painter.setPen(QPen(QColor(220, 0, 0), 1.5, Qt::DashLine));
    painter.drawRect(chosen);
}

void PreviewArea::mousePressEvent(QMouseEvent* e) {
    if (Page().isEmpty() || e->button() != Qt::LeftButton) return;
    dragFrom_ = ToMillimetres(e->position());
}

void PreviewArea::mouseMoveEvent(QMouseEvent* e) {
    if (Page().isEmpty() || !(e->buttons() & Qt::LeftButton)) return;
    const QPointF to = ToMillimetres(e->position());
    const QRectF r = QRectF(dragFrom_, to).normalized();
    if (r.width() < 1 || r.height() < 1) return;
    emit AreaDrawn({r.left(), r.top(), r.width(), r.height()});
}

// ---- window -----------------------------------------------------------------------------

SourceWindow::SourceWindow(const std::vector<DeviceInfo>& devices, SaneDevice* device,
                           QWidget* parent)
    : QDialog(parent), device_(device), devices_(devices) {
    setObjectName("SourceWindow");
    setWindowTitle("Scan");
    setModal(false);

    deviceBox_ = new QComboBox(this);
    deviceBox_->setObjectName("DeviceBox");
    resolutionBox_ = new QComboBox(this);
    resolutionBox_->setObjectName("ResolutionBox");
    modeBox_ = new QComboBox(this);
    modeBox_->setObjectName("ModeBox");
    auto spin = [this](const char* name) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(name);
        box->setDecimals(1);
        box->setSuffix(" mm");
        box->setKeyboardTracking(false);
        connect(box, &QDoubleSpinBox::valueChanged, this, &SourceWindow::AreaEdited);
        return box;
    };
    left_ = spin("AreaLeft");
    top_ = spin("AreaTop");
    width_ = spin("AreaWidth");
    height_ = spin("AreaHeight");
    wholeArea_ = new QPushButton("Whole area", this);
    wholeArea_->setObjectName("WholeAreaButton");
    wholeArea_->setAutoDefault(false);

    auto* resolutionRow = new QHBoxLayout;
    resolutionRow->addWidget(resolutionBox_, 1);
    resolutionRow->addWidget(new QLabel("dpi", this));
    auto* area = new QGridLayout;
    area->addWidget(new QLabel("Left", this), 0, 0);
    area->addWidget(left_, 0, 1);
    area->addWidget(new QLabel("Top", this), 0, 2);
    area->addWidget(top_, 0, 3);
    area->addWidget(new QLabel("Width", this), 1, 0);
    area->addWidget(width_, 1, 1);
    area->addWidget(new QLabel("Height", this), 1, 2);
    area->addWidget(height_, 1, 3);
    area->addWidget(wholeArea_, 2, 0, 1, 4);

    auto* form = new QFormLayout;
    form->addRow("Device:", deviceBox_);
    form->addRow("Resolution:", resolutionRow);
    form->addRow("Colour mode:", modeBox_);
    form->addRow("Scan area:", area);

    preview_ = new PreviewArea(this);
    previewButton_ = new QPushButton("Preview", this);
    previewButton_->setObjectName("PreviewButton");
    previewButton_->setAutoDefault(false);
    scanButton_ = new QPushButton("Scan", this);
    scanButton_->setObjectName("ScanButton");
    scanButton_->setDefault(true);
    closeButton_ = new QPushButton("Close", this);
    closeButton_->setObjectName("CloseButton");
    closeButton_->setAutoDefault(false);
    cancelButton_ = new QPushButton("Cancel", this);
    cancelButton_->setObjectName("CancelButton");
    cancelButton_->setAutoDefault(false);
    cancelButton_->setEnabled(false);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ScanProgress");
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    status_ = new QLabel(this);
    status_->setObjectName("StatusText");
    status_->setWordWrap(true);
    status_->setMinimumWidth(300);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch(1);
    left->addWidget(status_);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(cancelButton_);
    left->addLayout(progressRow);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(preview_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previewButton_);
    buttons->addStretch(1);
    buttons->addWidget(scanButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (!job_) return;
        progress_->setValue(int(std::lround(job_->Progress() * 1000)));
        // A read that does not return is cancelled under it.
        if (cancelClock_.isValid() && cancelClock_.hasExpired(2000)) job_->CancelNow();
    });

    connect(previewButton_, &QPushButton::clicked, this, [this] { StartScan(true); });
    connect(scanButton_, &QPushButton::clicked, this, [this] { StartScan(false); });
    connect(closeButton_, &QPushButton::clicked, this, &SourceWindow::RequestClose);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        if (!job_) return;
        job_->Cancel();
        cancelClock_.start();
        status_->setText("Cancelling…");
    });
    connect(wholeArea_, &QPushButton::clicked, this, [this] {
        if (const auto full = device_->FullArea()) {
            ScanSettings s = Settings();
            s.area = *full;
            ShowSettings(s);
        }
    });
    connect(preview_, &PreviewArea::AreaDrawn, this, [this](const ScanArea& a) {
        for (auto [box, value] :
             {std::pair{left_, a.left}, {top_, a.top}, {width_, a.width}, {height_, a.height}}) {
            const QSignalBlocker block(box);
            box->setValue(value);
        }
        preview_->SetArea(Settings().area);
    });
    connect(deviceBox_, &QComboBox::activated, this, [this](int index) {
        const std::string name = deviceBox_->itemData(index).toString().toStdString();
        if (name != device_->Name()) emit DeviceChosen(name);
    });

    SetDevice(device);
}

SourceWindow::~SourceWindow() {
    StopScan();
}

void SourceWindow::SetDevice(SaneDevice* device) {
    device_ = device;
    {
        const QSignalBlocker block(deviceBox_);
        deviceBox_->clear();
        bool listed = false;
        for (const DeviceInfo& d : devices_) {
            deviceBox_->addItem(QString::fromStdString(d.Label()), QString::fromStdString(d.name));
            if (d.name == device->Name()) {
                deviceBox_->setCurrentIndex(deviceBox_->count() - 1);
                listed = true;
            }
        }
        if (!listed) {
            deviceBox_->addItem(QString::fromStdString(device->Name()),
                                QString::fromStdString(device->Name()));
            deviceBox_->setCurrentIndex(deviceBox_->count() - 1);
        }
        setWindowTitle("Scan from " + deviceBox_->currentText());

        modeBox_->clear();
        for (ColourMode m : device->Modes()) modeBox_->addItem(ModeText(m), int(m));
        modeBox_->setEnabled(modeBox_->count() > 0);

        resolutionBox_->clear();
        for (int r : device->Resolutions()) resolutionBox_->addItem(QString::number(r));
        const bool ranged = device->ResolutionRanged();
        resolutionBox_->setEditable(ranged);
        if (ranged)
            resolutionBox_->setValidator(new QIntValidator(
                device->ResolutionMin(), device->ResolutionMax(), resolutionBox_));
    }
    const auto full = device->FullArea();
    for (QDoubleSpinBox* box : {left_, top_, width_, height_}) box->setEnabled(bool(full));
    wholeArea_->setEnabled(bool(full));
    if (full) {
        const QSignalBlocker b1(left_), b2(top_), b3(width_), b4(height_);
        left_->setRange(full->left, full->left + full->width);
        top_->setRange(full->top, full->top + full->height);
        width_->setRange(1, full->width);
        height_->setRange(1, full->height);
    }
    preview_->SetFullArea(full);
    ShowSettings(RememberedSettings(device->Name()).value_or(device->Current()));
    status_->setText("Choose the settings, then Scan.");
}

void SourceWindow::ShowSettings(const ScanSettings& s) {
    if (const int i = modeBox_->findData(int(s.mode)); i >= 0) modeBox_->setCurrentIndex(i);
    const QString dpi = QString::number(s.resolution);
    if (const int i = resolutionBox_->findText(dpi); i >= 0)
        resolutionBox_->setCurrentIndex(i);
    else if (resolutionBox_->isEditable())
        resolutionBox_->setEditText(dpi);
    for (auto [box, value] : {std::pair{left_, s.area.left},
                              {top_, s.area.top},
                              {width_, s.area.width},
                              {height_, s.area.height}}) {
        const QSignalBlocker block(box);
        box->setValue(value);
    }
    preview_->SetArea(Settings().area);
}

ScanSettings SourceWindow::Settings() const {
    ScanSettings s;
    s.mode = modeBox_->count() ? ColourMode(modeBox_->currentData().toInt()) : ColourMode::Colour;
    bool ok = false;
    s.resolution = resolutionBox_->currentText().toInt(&ok);
    if (!ok || s.resolution <= 0) s.resolution = device_->ActualResolution();
    s.area = {left_->value(), top_->value(), width_->value(), height_->value()};
    return s;
}

void SourceWindow::AreaEdited() {
    preview_->SetArea(Settings().area);
}

void SourceWindow::SetBusy(bool busy, const QString& status) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{deviceBox_, resolutionBox_, modeBox_, left_, top_, width_,
                                         height_, wholeArea_, previewButton_, scanButton_})
        w->setEnabled(!busy);
    if (!busy) {
        const bool area = device_->FullArea().has_value();
        for (QWidget* w : {static_cast<QWidget*>(left_), static_cast<QWidget*>(top_),
                           static_cast<QWidget*>(width_), static_cast<QWidget*>(height_),
                           static_cast<QWidget*>(wholeArea_)})
            w->setEnabled(area);
        modeBox_->setEnabled(modeBox_->count() > 0);
    }
    cancelButton_->setEnabled(busy);
    status_->setText(status);
    if (busy) {
        progress_->setValue(0);
        progressTimer_->start();
    } else {
        progressTimer_->stop();
    }
}

void SourceWindow::StartScan(bool preview) {
    if (job_) return;
    ScanSettings settings = Settings();
    if (preview) {
        const auto full = device_->FullArea();
        if (full) {
            settings.area = *full;
            const double inches = std::max(full->width, full->height) / 25.4;
            settings.resolution = std::clamp(int(std::lround(PreviewPixels / inches)),
                                             device_->ResolutionMin(), device_->ResolutionMax());
        }
        settings.preview = true;
    }
    const std::string refused = device_->Apply(settings);
    if (!refused.empty()) {
        QMessageBox::warning(this, "Scan", QString::fromStdString(refused));
        return;
    }
    job_ = std::make_unique<ScanJob>(device_->Handle(), device_->ActualResolution());
    SetBusy(true, preview ? "Previewing…" : "Scanning…");
    job_->Start([this, preview] {
        QMetaObject::invokeMethod(
            this, [this, preview] { ScanFinished(preview); }, Qt::QueuedConnection);
    });
    // Written while the device works, not when the image is ready to go.
    if (!preview) RememberSettings(device_->Name(), Settings());
}

void SourceWindow::ScanFinished(bool preview) {
    if (!job_) return;
    const ScanJob::Outcome outcome = job_->Result();
    const QString problem = QString::fromStdString(job_->Problem());
    platform::GlobalHandle image = job_->TakeImage();
    job_.reset(); // the thread has ended its work; this joins it
    progress_->setValue(outcome == ScanJob::Outcome::Done ? 1000 : 0);

    switch (outcome) {
    case ScanJob::Outcome::Done:
        if (preview) {
            preview_->SetImage(PreviewImage(image));
            platform::GlobalFree(image);
            SetBusy(false, "Drag on the preview to choose the area, then Scan.");
        } else {
            SetBusy(false, "Scanned.");
            emit ImageReady(image);
        }
        break;
    case ScanJob::Outcome::Cancelled:
        SetBusy(false, preview ? "Preview cancelled." : "Scan cancelled.");
        break;
    default:
        SetBusy(false, (preview ? "The preview failed. " : "The scan failed. ") + problem);
        if (!closeAfterScan_)
            QMessageBox::warning(
                this, "Scan", (preview ? "The preview failed.\n" : "The scan failed.\n") + problem);
        break;
    }
    cancelClock_.invalidate();
    if (closeAfterScan_) {
        closeAfterScan_ = false;
        emit CloseRequested();
    }
}

void SourceWindow::StopScan() {
    if (!job_) return;
    job_->Cancel();
    job_.reset(); // waits for the thread; an image it made is freed with it
}

void SourceWindow::RequestClose() {
    if (job_) {
        closeAfterScan_ = true;
        job_->Cancel();
        if (!cancelClock_.isValid()) cancelClock_.start();
        status_->setText("Cancelling…");
        return;
    }
    emit CloseRequested();
}

void SourceWindow::closeEvent(QCloseEvent* e) {
    e->ignore(); // the application closes the source, and with it this window
    RequestClose();
}

void SourceWindow::reject() {
    RequestClose();
}

} // namespace twaindsm
