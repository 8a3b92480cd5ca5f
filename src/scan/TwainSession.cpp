// SPDX-License-Identifier: GPL-3.0-or-later
// The TWAIN client's session: one record, a step function for each state change, and the
// two public operations built from them. Every step acts only in the state it names and
// reports whether the session reached (or passed) the state it aims at, so a teardown can
// run all its steps in order and undo exactly what was reached.
//
// States: 1 manager not loaded, 2 loaded, 3 open, 4 source open, 5 source enabled (its
// window up), 6 transfer ready, 7 transfer done or cancelled but not yet ended.

#include "scan/TwainSession.h"

#include "scan/Twain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstring>
#include <dlfcn.h>
#include <memory>

namespace scan {

namespace {

TW_IDENTITY ApplicationIdentity() {
    TW_IDENTITY id{};
    id.Id = 0;
    id.Version.MajorNum = 1;
    id.Version.MinorNum = 0;
    id.Version.Language = TWLG_USA;
    id.Version.Country = TWCY_USA;
    std::strcpy(id.Version.Info, "<?>");
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 6;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(id.Manufacturer, "<?>");
    std::strcpy(id.ProductFamily, "<?>");
    std::strcpy(id.ProductName, "<?>");
    return id;
}

struct Session {
    int state = 1;
    void* library = nullptr;
    DSMENTRYPROC entry = nullptr;
    const TW_IDENTITY application = ApplicationIdentity();
    TW_IDENTITY source{};
    WindowHandle parent = 0;
    TW_USERINTERFACE userInterface{};
    TW_PENDINGXFERS pending{};
    TW_UINT16 lastReturn = 0;
    ImageHandle lastImage = nullptr;
    std::array<ImageHandle, ImageListSize> images{};
    int imageCount = 0;
};

Session session;
bool busy = false; // a public operation is under way (the modal loop dispatches everything)
std::string managerLibrary = "libpenwright-twaindsm.so";
QString loadProblem; // why the last load found no manager, for the message

class BusyGuard {
public:
    BusyGuard() { busy = true; }
    ~BusyGuard() { busy = false; }
};

void TwainError(const char* text, const QString& detail = {}) {
    QMessageBox box(QMessageBox::Warning, "TWAIN Error", text, QMessageBox::Ok);
    box.setObjectName("TwainError");
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.exec();
}

// Internal consistency checks report and carry on.
void Check(bool condition) {
    if (condition) return;
    QMessageBox box(QMessageBox::NoIcon, "TWAIN", "Assertion failed", QMessageBox::Ok);
    box.setObjectName("TwainAssertion");
    box.exec();
}

bool IsWindow(WindowHandle window) {
    return window != 0 && QWidget::find(WId(window)) != nullptr;
}

// ---- calls ------------------------------------------------------------------------------

bool CallManager(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
    session.lastReturn = TWRC_FAILURE;
    if (session.entry) {
        TW_IDENTITY origin = session.application;
        session.lastReturn = session.entry(&origin, nullptr, group, type, message, data);
    }
    return session.lastReturn == TWRC_SUCCESS;
}

bool CallSource(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
    Check(session.state >= 4);
    session.lastReturn = TWRC_FAILURE;
    if (session.entry) {
        TW_IDENTITY origin = session.application;
        session.lastReturn = session.entry(&origin, &session.source, group, type, message, data);
    }
    return session.lastReturn == TWRC_SUCCESS;
}

// ---- steps ------------------------------------------------------------------------------

bool LoadManager() {
    if (session.state >= 2) return true;
    // Beside the program first (an existence test), then by name on the library path.
    std::string path = managerLibrary;
    if (managerLibrary.find('/') == std::string::npos) {
        const std::string beside =
            ManagerPathIn(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
                          managerLibrary);
        if (QFileInfo::exists(QFile::decodeName(beside.c_str()))) path = beside;
    }
    // A manager that made windows, registered event types or started threads cannot be
    // unmapped safely; unloading forgets it and the next load finds the same copy.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library) {
        loadProblem = QString::fromLocal8Bit(::dlerror());
        return false;
    }
    void* entry = ::dlsym(library, DsmEntryName);
    if (!entry) {
        loadProblem = QString::fromStdString(path) + " has no " + DsmEntryName + ".";
        ::dlclose(library);
        return false;
    }
    session.library = library;
    session.entry = reinterpret_cast<DSMENTRYPROC>(entry);
    session.state = 2;
    return true;
}

bool OpenManager(WindowHandle window) {
    session.parent = window;
    if (LoadManager() && CallManager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &session.parent))
        session.state = 3;
    return session.state >= 3;
}

bool OpenDefaultSource() {
    if (session.state != 3) return false;
    session.source.Id = 0;
    session.source.ProductName[0] = '\0';
    if (CallManager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &session.source)) session.state = 4;
    return session.state == 4;
}

bool EnableSource(WindowHandle window) {
    if (session.state != 4) return false;
    session.userInterface.ShowUI = 1;
    session.userInterface.hParent = reinterpret_cast<TW_HANDLE>(window);
    CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &session.userInterface);
    if (session.lastReturn != TWRC_FAILURE) session.state = 5;
    return session.state == 5;
}

bool DisableSource() {
    if (session.state == 5 &&
        CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &session.userInterface))
        session.state = 4;
    return session.state <= 4;
}

bool CloseSource() {
    session.lastReturn = TWRC_SUCCESS;
    if (session.state == 5) DisableSource();
    if (session.state == 4 && CallManager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &session.source))
        session.state = 3;
    return session.state <= 3;
}

bool CloseManager(WindowHandle window) {
    session.lastReturn = TWRC_SUCCESS;
    if (CloseSource()) {
        WindowHandle copy = window;
        if (CallManager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &copy)) session.state = 2;
    }
    return session.state <= 2;
}

bool UnloadManager() {
    if (session.state == 2) {
        if (session.library) ::dlclose(session.library);
        session.library = nullptr;
        session.entry = nullptr;
        session.state = 1;
    }
    return session.state == 1;
}

// ---- transfers --------------------------------------------------------------------------

// The list keeps 999 images; one arriving when it is full is freed at once, so that no
// handle is lost, and the last image stays the list's last.
void KeepImage(ImageHandle image) {
    if (session.imageCount < ImageListSize) {
        session.lastImage = image;
        session.images[std::size_t(session.imageCount++)] = image;
    } else {
        platform::GlobalFree(image);
        session.lastImage = session.images.back();
    }
}

// Transfers every image the source has pending, in order.
void TransferLoop() {
    Check(session.state == 6);
    while (session.state == 6) {
        TW_HANDLE image = nullptr;
        CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image);
        if (session.lastReturn != TWRC_XFERDONE) session.lastImage = nullptr;
        switch (session.lastReturn) {
        case TWRC_XFERDONE:
            session.state = 7;
            KeepImage(image);
            break;
        case TWRC_CANCEL:
            session.state = 7;
            break;
        default: // the transfer failed: drop what is pending, the source's window stays up
            if (CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &session.pending))
                session.state = 5;
            return;
        }
        if (session.state == 7 &&
            CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &session.pending))
            session.state = session.pending.Count != 0 ? 6 : 5;
    }
}

// Offers an event to the source; true when the source took it.
bool EventFilter(TW_PLATFORMEVENT* message) {
    if (session.state < 5) return false;
    TW_EVENT event{message, MSG_NULL};
    CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    const bool taken = session.lastReturn == TWRC_DSEVENT;
    switch (event.TWMessage) {
    case MSG_XFERREADY:
        session.state = 6;
        TransferLoop();
        break;
    case MSG_CLOSEDSREQ:
        DisableSource();
        break;
    default:
        break;
    }
    return taken;
}

bool ModalLoopGoesOn() {
    return session.state >= 5 && !session.lastImage;
}

// Sees every event of the thread before it is delivered, as the loop that gets messages
// for all windows of the thread does, and offers it to the source.
class EventTap : public QObject {
public:
    explicit EventTap(QEventLoop* loop) : loop_(loop) {}
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Events of a loop nested inside a call to the source are not offered again, nor
        // events delivered while the loop winds down after its last round.
        if (!ModalLoopGoesOn()) loop_->quit();
        if (offering_ || !ModalLoopGoesOn()) return false;
        offering_ = true;
        TW_PLATFORMEVENT message{receiver, event};
        const bool taken = EventFilter(&message);
        offering_ = false;
        if (!ModalLoopGoesOn()) loop_->quit();
        return taken;
    }

private:
    QEventLoop* loop_;
    bool offering_ = false;
};

// Runs until an image has been transferred, the source has been disabled, or the
// application quits (a quit ends every loop of the thread; it is not posted again).
void ModalLoop() {
    if (!ModalLoopGoesOn()) return;
    QEventLoop loop;
    EventTap tap(&loop);
    QCoreApplication::instance()->installEventFilter(&tap);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&tap);
}

// A window of our own where the caller gives none: a small static-text window.
WindowHandle CreateProxyWindow(std::unique_ptr<QWidget>& proxy) {
    auto window = std::make_unique<QLabel>(nullptr, Qt::Window);
    window->setObjectName("AcquireProxy");
    window->setWindowTitle("Acquire Proxy");
    window->show();
    const auto handle = WindowHandle(window->winId());
    proxy = std::move(window);
    return handle;
}

QString LoadDetail() {
    return "Penwright looks for " + QString::fromStdString(managerLibrary) +
           " next to the program and on the library path.\n" + loadProblem;
}

} // namespace

std::string ManagerPathIn(const std::string& dir, const std::string& name) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + name;
}

const std::string& ManagerLibraryName() {
    return managerLibrary;
}

void SetManagerLibrary(const std::string& nameOrPath) {
    managerLibrary = nameOrPath;
}

int TWAIN_SelectImageSource(WindowHandle window) {
    if (busy) return 0;
    BusyGuard guard;
    std::unique_ptr<QWidget> proxy;
    if (!IsWindow(window)) {
        if (window != 0) {
            TwainError("TWAIN_SelectImageSource: window handle is invalid");
            return 0;
        }
        window = CreateProxyWindow(proxy);
        if (!IsWindow(window)) {
            TwainError("TWAIN_SelectImageSource: Unable to create proxy window");
            return 0;
        }
    }
    int result = 0;
    if (!LoadManager()) {
        TwainError("Unable to load Source Manager (TWAIN_32.DLL)", LoadDetail());
    } else if (!OpenManager(window)) {
        TwainError("Unable to open Source Manager (TWAIN_32.DLL)");
    } else {
        TW_IDENTITY chosen{};
        result = CallManager(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen) ? 1 : 0;
        CloseManager(window);
    }
    UnloadManager();
    return result;
}

ImageHandle TWAIN_AcquireImages(WindowHandle window) {
    if (busy) return nullptr;
    BusyGuard guard;
    session.lastImage = nullptr;
    session.images.fill(nullptr);
    session.imageCount = 0;

    std::unique_ptr<QWidget> proxy;
    if (!IsWindow(window)) window = CreateProxyWindow(proxy);

    if (!IsWindow(window)) {
        TwainError("Unable to create proxy window");
    } else if (!LoadManager()) {
        TwainError("Unable to load Source Manager (TWAIN_32.DLL)", LoadDetail());
    } else if (!OpenManager(window)) {
        TwainError("Unable to open Source Manager (TWAIN_32.DLL)");
    } else if (!OpenDefaultSource()) {
        TWAIN_ReportLastError();
    } else if (!EnableSource(window)) {
        TWAIN_ReportLastError();
    } else {
        QPointer<QWidget> owner = QWidget::find(WId(window));
        owner->setEnabled(false);
        ModalLoop();
        if (owner) owner->setEnabled(true);
    }

    DisableSource();
    CloseSource();
    CloseManager(window);
    UnloadManager();
    return session.lastImage;
}

ImageHandle TWAIN_ScannedImage(int slot) {
    // The list is only ever read within its bounds, whatever the caller asks for.
    if (slot < 0 || slot >= ImageListSize) return nullptr;
    return session.images[std::size_t(slot)];
}

void TWAIN_FreeImage(ImageHandle image) {
    if (image) platform::GlobalFree(image);
}

void TWAIN_ReportLastError() {
    // The fixed report, with the condition the manager or source gives for it, if any.
    QString detail;
    if (session.entry) {
        TW_STATUS status{};
        TW_IDENTITY origin = session.application;
        const TW_UINT16 rc = session.entry(&origin, session.state >= 4 ? &session.source : nullptr,
                                           DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        if (rc == TWRC_SUCCESS) {
            switch (status.ConditionCode) {
            case TWCC_NODS:
                detail = "No scanner was found, or the chosen one cannot be opened.";
                break;
            case TWCC_LOWMEMORY:
                detail = "There is not enough memory.";
                break;
            case TWCC_MAXCONNECTIONS:
                detail = "The scanner is already in use.";
                break;
            case TWCC_OPERATIONERROR:
                detail = "The scanner reported an error.";
                break;
            case TWCC_SUCCESS:
                break;
            default:
                detail = QString("The source manager gave condition %1.").arg(status.ConditionCode);
            }
        }
    }
    TwainError("TWAIN_ReportLastError: an error occurred", detail);
}

int TWAIN_SessionState() {
    return session.state;
}

int TWAIN_ImageCount() {
    return session.imageCount;
}

} // namespace scan
