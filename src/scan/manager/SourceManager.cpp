// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/manager/SourceManager.h"

#include "scan/manager/ManagerSettings.h"
#include "scan/manager/SourceSelection.h"
#include "scan/manager/SourceWindow.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <new>

namespace twaindsm {

namespace {

// The event a source posts to its notifier; MSG_PROCESSEVENT turns it into TWMessage.
class SourceEvent : public QEvent {
public:
    explicit SourceEvent(TW_UINT16 message) : QEvent(Type()), message_(message) {}
    static QEvent::Type Type() {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    TW_UINT16 Message() const { return message_; }

private:
    TW_UINT16 message_;
};

void CopyText(char* to, const std::string& from) {
    const std::size_t n = std::min<std::size_t>(from.size(), 32);
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

// Our windows stack above the application's window without being its children, so that
// disabling the application's window leaves ours working; they open in the middle of the
// screen (the application's own window may be a tiny proxy in a corner).
void StackAbove(QWidget* window, quintptr parent) {
    QWidget* owner = parent ? QWidget::find(WId(parent)) : nullptr;
    window->winId();
    if (owner && owner->windowHandle() && window->windowHandle())
        window->windowHandle()->setTransientParent(owner->windowHandle());
    window->adjustSize();
    if (QScreen* screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

// Windows, event types and SANE backends' threads outlive a call: the library stays
// loaded until the process ends, whatever the application does with its handle.
void PinLibrary() {
    static const bool pinned = [] {
        Dl_info self;
        return ::dladdr(reinterpret_cast<void*>(&PinLibrary), &self) && self.dli_fname &&
               ::dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }();
    (void)pinned;
}

} // namespace

// ---- source -----------------------------------------------------------------------------

Source::Source(std::unique_ptr<SaneDevice> device, std::vector<DeviceInfo> devices)
    : device_(std::move(device)), devices_(std::move(devices)) {
    notifier_.setObjectName("TwainSourceNotifier");
}

Source::~Source() {
    window_.reset();
    if (pending_) platform::GlobalFree(pending_);
}

TW_UINT16 Source::Fail(TW_UINT16 condition) {
    condition_ = condition;
    return TWRC_FAILURE;
}

TW_UINT16 Source::Call(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
    if (group == DG_CONTROL && type == DAT_EVENT && message == MSG_PROCESSEVENT)
        return ProcessEvent(static_cast<TW_EVENT*>(data));
    if (group == DG_CONTROL && type == DAT_STATUS && message == MSG_GET) {
        if (!data) return Fail(TWCC_BADVALUE);
        static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
        static_cast<TW_STATUS*>(data)->Reserved = 0;
        condition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (group == DG_CONTROL && type == DAT_USERINTERFACE && message == MSG_ENABLEDS)
        return Enable(static_cast<TW_USERINTERFACE*>(data));
    if (group == DG_CONTROL && type == DAT_USERINTERFACE && message == MSG_DISABLEDS)
        return Disable();
    if (group == DG_CONTROL && type == DAT_PENDINGXFERS)
        return Pending(message, static_cast<TW_PENDINGXFERS*>(data));
    if (group == DG_IMAGE && type == DAT_IMAGENATIVEXFER && message == MSG_GET)
        return Transfer(static_cast<TW_HANDLE*>(data));
    if (type == DAT_CAPABILITY) return Fail(TWCC_BADCAP);
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 Source::Enable(TW_USERINTERFACE* ui) {
    if (state_ != 4) return Fail(TWCC_SEQERROR);
    if (!ui) return Fail(TWCC_BADVALUE);
    window_ = std::make_unique<SourceWindow>(devices_, device_.get());
    QObject::connect(window_.get(), &SourceWindow::ImageReady, &notifier_,
                     [this](platform::GlobalHandle image) {
                         if (pending_) platform::GlobalFree(pending_);
                         pending_ = image;
                         Post(MSG_XFERREADY);
                     });
    QObject::connect(window_.get(), &SourceWindow::CloseRequested, &notifier_,
                     [this] { Post(MSG_CLOSEDSREQ); });
    QObject::connect(window_.get(), &SourceWindow::DeviceChosen, &notifier_,
                     [this](const std::string& name) { SwitchDevice(name); });
    StackAbove(window_.get(), quintptr(ui->hParent));
    window_->show();
    window_->raise();
    window_->activateWindow();
    state_ = 5;
    // The window is always shown; a caller that asked for none is told to check.
    return ui->ShowUI ? TWRC_SUCCESS : TWRC_CHECKSTATUS;
}

TW_UINT16 Source::Disable() {
    if (state_ != 5) return Fail(TWCC_SEQERROR);
    // Stops a scan under way; the widgets go once the application is back in its loop,
    // so that the image reaches it first.
    window_->StopScan();
    window_->hide();
    window_.release()->deleteLater();
    state_ = 4;
    return TWRC_SUCCESS;
}

void Source::Post(TW_UINT16 message) {
    QCoreApplication::postEvent(&notifier_, new SourceEvent(message));
}

TW_UINT16 Source::ProcessEvent(TW_EVENT* event) {
    if (!event) return Fail(TWCC_BADVALUE);
    event->TWMessage = MSG_NULL;
    if (state_ < 5) return Fail(TWCC_SEQERROR);
    const auto* offered = static_cast<const TW_PLATFORMEVENT*>(event->pEvent);
    if (!offered || offered->receiver != &notifier_ || !offered->event ||
        offered->event->type() != SourceEvent::Type())
        return TWRC_NOTDSEVENT;
    const TW_UINT16 message = static_cast<const SourceEvent*>(offered->event)->Message();
    if (message == MSG_XFERREADY) {
        if (state_ != 5 || !pending_) return TWRC_DSEVENT; // stale: nothing to say
        state_ = 6;
    }
    event->TWMessage = message;
    return TWRC_DSEVENT;
}

TW_UINT16 Source::Transfer(TW_HANDLE* image) {
    if (state_ != 6) return Fail(TWCC_SEQERROR);
    if (!image) return Fail(TWCC_BADVALUE);
    if (!pending_) return Fail(TWCC_SEQERROR);
    *image = pending_;
    pending_ = nullptr; // the application owns it now
    state_ = 7;
    return TWRC_XFERDONE;
}

TW_UINT16 Source::Pending(TW_UINT16 message, TW_PENDINGXFERS* pending) {
    if (!pending) return Fail(TWCC_BADVALUE);
    switch (message) {
    case MSG_GET:
        if (state_ < 4) return Fail(TWCC_SEQERROR);
        pending->Count = pending_ ? 1 : 0;
        return TWRC_SUCCESS;
    case MSG_ENDXFER:
    case MSG_RESET:
        if (state_ != 7 && state_ != 6) return Fail(TWCC_SEQERROR);
        if (message == MSG_RESET && state_ != 6) return Fail(TWCC_SEQERROR);
        if (pending_) platform::GlobalFree(pending_); // an image the application passed over
        pending_ = nullptr;
        pending->Count = 0;
        state_ = 5;
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

void Source::SwitchDevice(const std::string& name) {
    std::string problem;
    std::unique_ptr<SaneDevice> device = SaneDevice::Open(name, problem);
    if (!device) {
        QMessageBox::warning(window_.get(), "Scan", QString::fromStdString(problem));
        window_->SetDevice(device_.get());
        return;
    }
    window_->SetDevice(device.get());
    device_ = std::move(device);
    SetDefaultSource(name);
}

// ---- manager ----------------------------------------------------------------------------

TW_UINT16 SourceManager::Fail(TW_UINT16 condition) {
    condition_ = condition;
    return TWRC_FAILURE;
}

int SourceManager::Listed(const std::string& name) const {
    for (std::size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].name == name) return int(i);
    return -1;
}

void SourceManager::Describe(TW_IDENTITY* identity, const DeviceInfo& device, TW_UINT32 id) const {
    std::memset(identity, 0, sizeof *identity);
    identity->Id = id;
    identity->Version.MajorNum = 1;
    identity->Version.MinorNum = 0;
    identity->Version.Language = TWLG_USA;
    identity->Version.Country = TWCY_USA;
    CopyText(identity->Version.Info, "SANE " + device.type);
    identity->ProtocolMajor = 1;
    identity->ProtocolMinor = 6;
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(identity->Manufacturer, device.vendor);
    CopyText(identity->ProductFamily, device.model);
    CopyText(identity->ProductName, device.name);
}

TW_UINT16 SourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                               TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
    if (!origin) return Fail(TWCC_BADVALUE);
    if (destination) {
        if (!source_ || destination->Id != sourceId_) return Fail(TWCC_BADDEST);
        return source_->Call(group, type, message, data);
    }
    if (group != DG_CONTROL) return Fail(TWCC_BADPROTOCOL);
    switch (type) {
    case DAT_PARENT:
        return Parent(message, data);
    case DAT_IDENTITY:
        if (!open_) return Fail(TWCC_SEQERROR);
        return Identity(message, static_cast<TW_IDENTITY*>(data));
    case DAT_STATUS:
        if (message != MSG_GET || !data) return Fail(TWCC_BADVALUE);
        static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
        static_cast<TW_STATUS*>(data)->Reserved = 0;
        condition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::Parent(TW_UINT16 message, TW_MEMREF data) {
    switch (message) {
    case MSG_OPENDSM:
        if (open_) return Fail(TWCC_SEQERROR);
        PinLibrary();
        // Windows need the application's widget machinery.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return Fail(TWCC_BUMMER);
        if (sane_init(nullptr, nullptr) != SANE_STATUS_GOOD) return Fail(TWCC_BUMMER);
        parent_ = data ? *static_cast<const quintptr*>(data) : 0;
        open_ = true;
        condition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    case MSG_CLOSEDSM:
        if (!open_ || source_) return Fail(TWCC_SEQERROR);
        sane_exit();
        open_ = false;
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::Identity(TW_UINT16 message, TW_IDENTITY* identity) {
    if (!identity) return Fail(TWCC_BADVALUE);
    switch (message) {
    case MSG_GETFIRST:
        devices_ = FindDevices();
        next_ = 0;
        [[fallthrough]];
    case MSG_GETNEXT:
        if (next_ >= devices_.size()) return TWRC_ENDOFLIST;
        Describe(identity, devices_[next_], TW_UINT32(next_ + 1));
        ++next_;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT: {
        if (devices_.empty()) devices_ = FindDevices();
        const int i = Listed(DefaultSource());
        if (devices_.empty()) return Fail(TWCC_NODS);
        Describe(identity, devices_[std::size_t(std::max(i, 0))], TW_UINT32(std::max(i, 0) + 1));
        return TWRC_SUCCESS;
    }
    case MSG_USERSELECT:
        return UserSelect(identity);
    case MSG_OPENDS:
        return OpenSource(identity);
    case MSG_CLOSEDS:
        return CloseSource(identity);
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::UserSelect(TW_IDENTITY* identity) {
    SourceSelection dialog(DefaultSource());
    StackAbove(&dialog, parent_);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (!chosen) return TWRC_CANCEL;
    const DeviceInfo device = dialog.Chosen();
    devices_ = dialog.Devices();
    SetDefaultSource(device.name);
    Describe(identity, device, TW_UINT32(Listed(device.name) + 1));
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::OpenSource(TW_IDENTITY* identity) {
    if (source_) return Fail(TWCC_MAXCONNECTIONS);
    // Which device: by its Id in the list last found, by name, or the default.
    std::string name;
    if (identity->Id != 0 && identity->Id <= devices_.size())
        name = devices_[identity->Id - 1].name;
    else if (identity->ProductName[0])
        name.assign(identity->ProductName, strnlen(identity->ProductName, 33));
    else
        name = DefaultSource();

    std::string problem;
    std::unique_ptr<SaneDevice> device = name.empty() ? nullptr : SaneDevice::Open(name, problem);
    if (!device && identity->Id == 0 && !identity->ProductName[0]) {
        // No default yet, or it is gone: the first device there is.
        devices_ = FindDevices();
        for (const DeviceInfo& d : devices_) {
            if (d.name == name) continue;
            if ((device = SaneDevice::Open(d.name, problem))) break;
        }
    }
    if (!device) return Fail(TWCC_NODS);

    const int listed = Listed(device->Name());
    DeviceInfo info =
        listed >= 0 ? devices_[std::size_t(listed)] : DeviceInfo{device->Name(), "", "", ""};
    sourceId_ = TW_UINT32(listed >= 0 ? listed + 1 : int(devices_.size()) + 1);
    Describe(identity, info, sourceId_);
    std::vector<DeviceInfo> devices = devices_;
    if (listed < 0) devices.push_back(info);
    source_ = std::make_unique<Source>(std::move(device), std::move(devices));
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::CloseSource(TW_IDENTITY* identity) {
    if (!source_ || identity->Id != sourceId_) return Fail(TWCC_NODS);
    if (source_->State() != 4) return Fail(TWCC_SEQERROR);
    source_.reset();
    return TWRC_SUCCESS;
}

} // namespace twaindsm

// The one entry of the library. No exception leaves it.
extern "C" __attribute__((visibility("default"))) TW_UINT16
DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 type,
          TW_UINT16 message, TW_MEMREF data) {
    // Never destroyed: the library stays loaded until the process ends.
    static auto* manager = new twaindsm::SourceManager;
    try {
        return manager->Entry(origin, destination, group, type, message, data);
    } catch (const std::bad_alloc&) {
        return TWRC_FAILURE;
    } catch (...) {
        return TWRC_FAILURE;
    }
}
