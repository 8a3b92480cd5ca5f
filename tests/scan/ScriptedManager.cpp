// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScriptedManager.h"

#include "platform/GlobalMemory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstring>
#include <string>

namespace {

class ScriptEvent : public QEvent {
public:
    explicit ScriptEvent(TW_UINT16 m) : QEvent(Type()), message(m) {}
    static QEvent::Type Type() {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    TW_UINT16 message;
};

ScriptedScript script;
ScriptedRecord record;
std::string callLog;
QObject* notifier = nullptr;
int transfers = 0;
bool batchLeftWindowUp = false;
bool closePosted = false;
TW_UINT16 condition = TWCC_SUCCESS;

void Log(const char* word) {
    if (!callLog.empty()) callLog += ' ';
    callLog += word;
}

void Post(TW_UINT16 message) {
    QCoreApplication::postEvent(notifier, new ScriptEvent(message));
}

// An event the source does not take, so that the application's loop has something to
// offer while the script waits to ask for the close.
void Tick() {
    QCoreApplication::postEvent(notifier, new QEvent(QEvent::User));
}

TW_UINT16 Fail(TW_UINT16 cc) {
    condition = cc;
    return TWRC_FAILURE;
}

// A 1 × 1 24-bit image whose blue value numbers the transfer.
platform::GlobalHandle Image(int number) {
    platform::GlobalHandle h = platform::GlobalAlloc(44);
    auto* p = static_cast<std::uint8_t*>(platform::GlobalLock(h));
    if (!p) return nullptr;
    std::memset(p, 0, 44);
    const std::uint32_t header = 40, one = 1;
    const std::uint16_t planes = 1, bits = script.badImages ? 16 : 24;
    std::memcpy(p, &header, 4);
    std::memcpy(p + 4, &one, 4);
    std::memcpy(p + 8, &one, 4);
    std::memcpy(p + 12, &planes, 2);
    std::memcpy(p + 14, &bits, 2);
    p[40] = std::uint8_t(number);
    platform::GlobalUnlock(h);
    return h;
}

TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
        auto* event = static_cast<TW_EVENT*>(data);
        auto* offered = static_cast<TW_PLATFORMEVENT*>(event->pEvent);
        event->TWMessage = MSG_NULL;
        if (QWidget* parent = QWidget::find(WId(record.userInterfaceParent)))
            record.parentDisabled = !parent->isEnabled();
        if (offered->receiver == notifier && offered->event->type() == ScriptEvent::Type()) {
            event->TWMessage = static_cast<ScriptEvent*>(offered->event)->message;
            Log(event->TWMessage == MSG_XFERREADY ? "XFERREADY" : "CLOSEDSREQ");
            return TWRC_DSEVENT;
        }
        if (batchLeftWindowUp && !closePosted) {
            if (++record.offersAfterBatch >= script.offersBeforeClose) {
                closePosted = true;
                Post(MSG_CLOSEDSREQ);
            } else if (offered->receiver == notifier) {
                Tick();
            }
        }
        return TWRC_NOTDSEVENT;
    }
    if (dat == DAT_STATUS) {
        Log("STATUS");
        static_cast<TW_STATUS*>(data)->ConditionCode = condition;
        return TWRC_SUCCESS;
    }
    if (dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) {
        Log("ENABLEDS");
        if (script.enableFails) return Fail(TWCC_OPERATIONERROR);
        record.userInterfaceParent = quintptr(static_cast<TW_USERINTERFACE*>(data)->hParent);
        if (QWidget* parent = QWidget::find(WId(record.userInterfaceParent)))
            std::strncpy(record.parentTitle, parent->windowTitle().toUtf8().constData(), 63);
        if (script.closeFirst)
            Post(MSG_CLOSEDSREQ);
        else if (script.images > 0)
            Post(MSG_XFERREADY);
        return TWRC_SUCCESS;
    }
    if (dat == DAT_USERINTERFACE && msg == MSG_DISABLEDS) {
        Log("DISABLEDS");
        return TWRC_SUCCESS;
    }
    if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
        Log("GET");
        const int t = transfers++;
        if (t == script.failAt) return Fail(TWCC_OPERATIONERROR);
        if (t == script.cancelAt) return TWRC_CANCEL;
        *static_cast<TW_HANDLE*>(data) = Image(t + 1);
        return TWRC_XFERDONE;
    }
    if (dat == DAT_PENDINGXFERS) {
        auto* pending = static_cast<TW_PENDINGXFERS*>(data);
        Log(msg == MSG_ENDXFER ? "ENDXFER" : "RESET");
        pending->Count = msg == MSG_ENDXFER ? TW_UINT16(script.images - transfers) : 0;
        if (pending->Count == 0) {
            batchLeftWindowUp = true;
            Tick();
        }
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void
ScriptedManager_Configure(const ScriptedScript* s) {
    script = *s;
    record = ScriptedRecord{};
    callLog.clear();
    transfers = 0;
    batchLeftWindowUp = false;
    closePosted = false;
    condition = TWCC_SUCCESS;
    if (!notifier) notifier = new QObject;
    QCoreApplication::removePostedEvents(notifier); // nothing left from an earlier script
}

extern "C" __attribute__((visibility("default"))) const ScriptedRecord* ScriptedManager_Record() {
    return &record;
}

extern "C" __attribute__((visibility("default"))) const char* ScriptedManager_Log() {
    return callLog.c_str();
}

extern "C" __attribute__((visibility("default"))) TW_UINT16
DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
          TW_MEMREF data) {
    if (dest) return Source(dg, dat, msg, data);
    if (dat == DAT_PARENT) {
        Log(msg == MSG_OPENDSM ? "OPENDSM" : "CLOSEDSM");
        if (msg == MSG_OPENDSM) {
            record.origin = *origin;
            record.parent = *static_cast<quintptr*>(data);
        }
        return TWRC_SUCCESS;
    }
    if (dat == DAT_STATUS) {
        Log("STATUS");
        static_cast<TW_STATUS*>(data)->ConditionCode = condition;
        return TWRC_SUCCESS;
    }
    auto* identity = static_cast<TW_IDENTITY*>(data);
    switch (msg) {
    case MSG_USERSELECT:
        Log("USERSELECT");
        return script.selectCancels ? TWRC_CANCEL : TWRC_SUCCESS;
    case MSG_OPENDS:
        Log("OPENDS");
        record.openRequest = *identity;
        if (script.openFails) return Fail(TWCC_NODS);
        identity->Id = 7;
        std::strcpy(identity->ProductName, "Scripted");
        return TWRC_SUCCESS;
    case MSG_CLOSEDS:
        Log("CLOSEDS");
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}
