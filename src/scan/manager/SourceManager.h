// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A TWAIN source manager that serves an application's calls from SANE: every SANE device
// is a source. The manager (states 1 to 3) initialises SANE when opened, lets the user
// choose a device (MSG_USERSELECT, remembered as the default source) and opens one source
// at a time; the source (states 4 to 7) shows its window when enabled, scans there, and
// hands each scan over by native transfer as a packed DIB in a movable block.
//
// The source tells the application about a scan or a close request the way TWAIN 1.x does
// on a platform with a message loop: it posts an event of its own to its notifier object,
// and recognises it when the application offers it back through MSG_PROCESSEVENT.

#include "platform/GlobalMemory.h"
#include "scan/Twain.h"
#include "scan/manager/SaneDevice.h"

#include <QObject>
#include <memory>
#include <string>
#include <vector>

namespace twaindsm {

class SourceWindow;

class Source {
public:
    Source(std::unique_ptr<SaneDevice> device, std::vector<DeviceInfo> devices);
    ~Source();
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    TW_UINT16 Call(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data);
    int State() const { return state_; }
    const std::string& DeviceName() const { return device_->Name(); }

private:
    TW_UINT16 Fail(TW_UINT16 condition);
    TW_UINT16 Enable(TW_USERINTERFACE* ui);
    TW_UINT16 Disable();
    TW_UINT16 ProcessEvent(TW_EVENT* event);
    TW_UINT16 Transfer(TW_HANDLE* image);
    TW_UINT16 Pending(TW_UINT16 message, TW_PENDINGXFERS* pending);
    void Post(TW_UINT16 message);
    void SwitchDevice(const std::string& name);

    std::unique_ptr<SaneDevice> device_;
    std::vector<DeviceInfo> devices_;
    std::unique_ptr<SourceWindow> window_;
    QObject notifier_; // receives the events the source posts for the application
    platform::GlobalHandle pending_ = nullptr;
    int state_ = 4;
    TW_UINT16 condition_ = TWCC_SUCCESS;
};

class SourceManager {
public:
    TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 type,
                    TW_UINT16 message, TW_MEMREF data);

private:
    TW_UINT16 Fail(TW_UINT16 condition);
    TW_UINT16 Parent(TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 Identity(TW_UINT16 message, TW_IDENTITY* identity);
    TW_UINT16 UserSelect(TW_IDENTITY* identity);
    TW_UINT16 OpenSource(TW_IDENTITY* identity);
    TW_UINT16 CloseSource(TW_IDENTITY* identity);
    void Describe(TW_IDENTITY* identity, const DeviceInfo& device, TW_UINT32 id) const;
    int Listed(const std::string& name) const; // position in devices_, or -1

    bool open_ = false;
    quintptr parent_ = 0;
    TW_UINT16 condition_ = TWCC_SUCCESS;
    std::vector<DeviceInfo> devices_; // as last found
    std::size_t next_ = 0;            // MSG_GETNEXT position
    std::unique_ptr<Source> source_;
    TW_UINT32 sourceId_ = 0;
};

} // namespace twaindsm
