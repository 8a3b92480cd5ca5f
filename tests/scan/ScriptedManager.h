// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A TWAIN source manager with one source that follows a script, for testing the client:
// it records the calls it gets and answers them as the script says. Built as a shared
// library exporting DSM_Entry; the test loads the same library to set the script and read
// the record.

#include "scan/Twain.h"

#include <QtGlobal>

struct ScriptedScript {
    int images = 0;          // pending at the transfer-ready event
    int cancelAt = -1;       // the transfer (from 0) answered with TWRC_CANCEL
    int failAt = -1;         // the transfer answered with TWRC_FAILURE
    bool closeFirst = false; // ask to close before any transfer
    bool selectCancels = false;
    bool openFails = false;
    bool enableFails = false;
    // After a batch that leaves the window up: events offered, then a close request.
    int offersBeforeClose = 5;
    bool badImages = false; // images of 16 bits a pixel, which the program does not read
};

struct ScriptedRecord {
    TW_IDENTITY origin;      // as given with MSG_OPENDSM
    TW_IDENTITY openRequest; // as given with MSG_OPENDS
    quintptr parent;         // DAT_PARENT's window
    quintptr userInterfaceParent;
    bool parentDisabled; // the window given to MSG_ENABLEDS, while events were offered
    char parentTitle[64];
    int offersAfterBatch; // events offered after a batch that left the window up
};

extern "C" {
using ScriptedConfigureProc = void (*)(const ScriptedScript*);
using ScriptedRecordProc = const ScriptedRecord* (*)();
using ScriptedLogProc = const char* (*)(); // the calls, one word each, space-separated
}
