// SPDX-License-Identifier: GPL-3.0-or-later
// The TWAIN client against a scripted source manager: the calls it makes in each case,
// the images it keeps, and the state it returns to.
#include "scan/ImageTransfer.h"
#include "scan/ScriptedManager.h"
#include "scan/TwainSession.h"
#include "support/ModalWatcher.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

using testing_support::ModalWatcher;

namespace {

struct Scripted {
    ScriptedConfigureProc configure;
    ScriptedRecordProc record;
    ScriptedLogProc log;
};

// The scripted manager, loaded once; the client's loads then find this same copy.
const Scripted& Manager() {
    static const Scripted manager = [] {
        void* library = ::dlopen(SCRIPTED_MANAGER, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        EXPECT_NE(library, nullptr) << ::dlerror();
        return Scripted{
            reinterpret_cast<ScriptedConfigureProc>(::dlsym(library, "ScriptedManager_Configure")),
            reinterpret_cast<ScriptedRecordProc>(::dlsym(library, "ScriptedManager_Record")),
            reinterpret_cast<ScriptedLogProc>(::dlsym(library, "ScriptedManager_Log"))};
    }();
    return manager;
}

class TwainClient : public ::testing::Test {
protected:
    void SetUp() override { scan::SetManagerLibrary(SCRIPTED_MANAGER); }
    void TearDown() override { scan::SetManagerLibrary("libpenwright-twaindsm.so"); }

    void Script(const ScriptedScript& s) { Manager().configure(&s); }
    std::string Log() const { return Manager().log(); }
    const ScriptedRecord& Record() const { return *Manager().record(); }

    // The number a scripted image carries (its one pixel's blue value).
    static int Number(scan::ImageHandle image) {
        platform::Bitmap24 pixel(1, 1);
        scan::CopyImageToBitmap(image, pixel);
        return pixel.ScanLine(0)[0];
    }
    static void FreeAll() {
        for (int i = 0; i < scan::TWAIN_ImageCount(); ++i)
            scan::TWAIN_FreeImage(scan::TWAIN_ScannedImage(i));
    }
};

constexpr const char* Teardown = "DISABLEDS CLOSEDS CLOSEDSM";

} // namespace

TEST_F(TwainClient, ThreePendingImagesFillTheFirstSlotsInTransferOrder) {
    Script({.images = 3});
    ModalWatcher watcher;
    scan::ImageHandle last = scan::TWAIN_AcquireImages(0);
    EXPECT_TRUE(watcher.messages.isEmpty());
    EXPECT_EQ(Log(), std::string("OPENDSM OPENDS ENABLEDS XFERREADY GET ENDXFER GET ENDXFER GET "
                                 "ENDXFER ") +
                         Teardown);
    ASSERT_EQ(scan::TWAIN_ImageCount(), 3);
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(Number(scan::TWAIN_ScannedImage(slot)), slot + 1);
    EXPECT_EQ(last, scan::TWAIN_ScannedImage(2));
    EXPECT_EQ(scan::TWAIN_ScannedImage(3), nullptr);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);

    // The application's identity, as every call gives it.
    const TW_IDENTITY& app = Record().origin;
    EXPECT_EQ(app.Id, 0u);
    EXPECT_EQ(app.Version.MajorNum, 1);
    EXPECT_EQ(app.Version.MinorNum, 0);
    EXPECT_EQ(app.Version.Language, TWLG_USA);
    EXPECT_EQ(app.Version.Country, TWCY_USA);
    EXPECT_STREQ(app.Version.Info, "<?>");
    EXPECT_EQ(app.ProtocolMajor, 1);
    EXPECT_EQ(app.ProtocolMinor, 6);
    EXPECT_EQ(app.SupportedGroups, 3u);
    EXPECT_STREQ(app.Manufacturer, "<?>");
    EXPECT_STREQ(app.ProductFamily, "<?>");
    EXPECT_STREQ(app.ProductName, "<?>");
    // The default source is asked for; the manager and the source got the proxy window,
    // which was disabled while the loop ran.
    EXPECT_EQ(Record().openRequest.Id, 0u);
    EXPECT_STREQ(Record().openRequest.ProductName, "");
    EXPECT_EQ(Record().parent, Record().userInterfaceParent);
    EXPECT_STREQ(Record().parentTitle, "Acquire Proxy");
    EXPECT_TRUE(Record().parentDisabled);
    FreeAll();
}

TEST_F(TwainClient, ACancelledSecondTransferKeepsTheWindowUpUntilTheSourceAsksToClose) {
    Script({.images = 2, .cancelAt = 1, .offersBeforeClose = 5});
    scan::ImageHandle last = scan::TWAIN_AcquireImages(0);
    EXPECT_EQ(last, nullptr);
    EXPECT_EQ(Log(), std::string("OPENDSM OPENDS ENABLEDS XFERREADY GET ENDXFER GET ENDXFER "
                                 "CLOSEDSREQ ") +
                         Teardown);
    EXPECT_GE(Record().offersAfterBatch, 5); // the loop went on waiting after the cancel
    ASSERT_EQ(scan::TWAIN_ImageCount(), 1);
    EXPECT_EQ(Number(scan::TWAIN_ScannedImage(0)), 1);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);
    FreeAll();
}

TEST_F(TwainClient, ACloseRequestBeforeAnyTransferEndsWithNothing) {
    Script({.closeFirst = true});
    EXPECT_EQ(scan::TWAIN_AcquireImages(0), nullptr);
    EXPECT_EQ(Log(), std::string("OPENDSM OPENDS ENABLEDS CLOSEDSREQ ") + Teardown);
    EXPECT_EQ(scan::TWAIN_ImageCount(), 0);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);
}

TEST_F(TwainClient, AFailedTransferResetsThePendingTransfersAndKeepsTheWindowUp) {
    Script({.images = 1, .failAt = 0, .offersBeforeClose = 5});
    EXPECT_EQ(scan::TWAIN_AcquireImages(0), nullptr);
    EXPECT_EQ(Log(),
              std::string("OPENDSM OPENDS ENABLEDS XFERREADY GET RESET CLOSEDSREQ ") + Teardown);
    EXPECT_GE(Record().offersAfterBatch, 5);
    EXPECT_EQ(scan::TWAIN_ImageCount(), 0);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);
}

TEST_F(TwainClient, AThousandthImageIsFreedAndTheListKeepsItsLast) {
    Script({.images = 1001});
    scan::ImageHandle last = scan::TWAIN_AcquireImages(0);
    ASSERT_EQ(scan::TWAIN_ImageCount(), scan::ImageListSize);
    EXPECT_EQ(last, scan::TWAIN_ScannedImage(998));
    EXPECT_EQ(Number(last), 999 % 256);
    EXPECT_EQ(scan::TWAIN_ScannedImage(999), nullptr); // past the list: none, never beyond it
    EXPECT_EQ(scan::TWAIN_ScannedImage(-1), nullptr);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);
    FreeAll();
}

TEST_F(TwainClient, SourceFailuresAreReportedAndTornDown) {
    {
        Script({.openFails = true});
        ModalWatcher watcher;
        EXPECT_EQ(scan::TWAIN_AcquireImages(0), nullptr);
        EXPECT_EQ(watcher.messages, QStringList{"TWAIN_ReportLastError: an error occurred"});
        EXPECT_EQ(Log(), "OPENDSM OPENDS STATUS CLOSEDSM");
        EXPECT_EQ(scan::TWAIN_SessionState(), 1);
    }
    {
        Script({.images = 1, .enableFails = true});
        ModalWatcher watcher;
        EXPECT_EQ(scan::TWAIN_AcquireImages(0), nullptr);
        EXPECT_EQ(watcher.messages, QStringList{"TWAIN_ReportLastError: an error occurred"});
        EXPECT_EQ(Log(), "OPENDSM OPENDS ENABLEDS STATUS CLOSEDS CLOSEDSM");
        EXPECT_EQ(scan::TWAIN_SessionState(), 1);
    }
}

TEST_F(TwainClient, SelectionReturnsWhetherTheUserChoseASource) {
    Script({.selectCancels = false});
    EXPECT_EQ(scan::TWAIN_SelectImageSource(0), 1);
    EXPECT_EQ(Log(), "OPENDSM USERSELECT CLOSEDSM");
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);

    // Cancelled: 0 and no message; the acquisition still opens the default source.
    Script({.selectCancels = true});
    ModalWatcher watcher;
    EXPECT_EQ(scan::TWAIN_SelectImageSource(0), 0);
    EXPECT_TRUE(watcher.messages.isEmpty());
    Script({.closeFirst = true});
    scan::TWAIN_AcquireImages(0);
    EXPECT_EQ(Log().rfind("OPENDSM OPENDS", 0), 0u);
    EXPECT_EQ(Record().openRequest.Id, 0u);
}

TEST_F(TwainClient, AWindowHandleThatIsNoWindow) {
    const scan::WindowHandle bogus = 0x7fff1234;
    Script({});
    {
        ModalWatcher watcher;
        EXPECT_EQ(scan::TWAIN_SelectImageSource(bogus), 0);
        EXPECT_EQ(watcher.messages,
                  QStringList{"TWAIN_SelectImageSource: window handle is invalid"});
        EXPECT_EQ(Log(), "");
    }
    // The acquisition does not complain: it makes its own window.
    Script({.closeFirst = true});
    ModalWatcher watcher;
    EXPECT_EQ(scan::TWAIN_AcquireImages(bogus), nullptr);
    EXPECT_TRUE(watcher.messages.isEmpty());
    EXPECT_STREQ(Record().parentTitle, "Acquire Proxy");

    // A real window is used as it is, disabled while the source's window is up.
    QLabel own;
    own.setWindowTitle("Own window");
    own.show();
    Script({.images = 1});
    scan::TWAIN_FreeImage(scan::TWAIN_AcquireImages(own.winId()));
    EXPECT_STREQ(Record().parentTitle, "Own window");
    EXPECT_TRUE(Record().parentDisabled);
    EXPECT_TRUE(own.isEnabled());
}

TEST_F(TwainClient, NoSecondSessionWhileOneIsUnderWay) {
    Script({.images = 1, .cancelAt = 0, .offersBeforeClose = 20});
    int nestedSelect = -1;
    scan::ImageHandle nestedAcquire = reinterpret_cast<scan::ImageHandle>(1);
    QTimer::singleShot(0, [&] {
        nestedSelect = scan::TWAIN_SelectImageSource(0);
        nestedAcquire = scan::TWAIN_AcquireImages(0);
    });
    scan::TWAIN_AcquireImages(0);
    EXPECT_EQ(nestedSelect, 0);
    EXPECT_EQ(nestedAcquire, nullptr);
    EXPECT_EQ(Log(),
              std::string("OPENDSM OPENDS ENABLEDS XFERREADY GET ENDXFER CLOSEDSREQ ") + Teardown);
}

TEST(TwainManager, MissingManagerOrEntryIsReportedAndLeavesStateOne) {
    for (const char* library : {"/nonexistent/libpenwright-twaindsm.so", "libc.so.6"}) {
        scan::SetManagerLibrary(library);
        ModalWatcher watcher;
        EXPECT_EQ(scan::TWAIN_SelectImageSource(0), 0);
        EXPECT_EQ(scan::TWAIN_AcquireImages(0), nullptr);
        EXPECT_EQ(watcher.messages, QStringList({"Unable to load Source Manager (TWAIN_32.DLL)",
                                                 "Unable to load Source Manager (TWAIN_32.DLL)"}))
            << library;
        EXPECT_EQ(scan::TWAIN_SessionState(), 1);
        EXPECT_EQ(scan::TWAIN_ImageCount(), 0);
    }
    scan::SetManagerLibrary("libpenwright-twaindsm.so");
    scan::TWAIN_FreeImage(nullptr); // nothing to free: nothing happens
}

TEST(TwainManager, PathBesideTheProgram) {
    EXPECT_EQ(scan::ManagerPathIn("/opt/penwright", "m.so"), "/opt/penwright/m.so");
    EXPECT_EQ(scan::ManagerPathIn("/opt/penwright/", "m.so"), "/opt/penwright/m.so");
    EXPECT_EQ(scan::ManagerPathIn("", "m.so"), "m.so");
}
