// SPDX-License-Identifier: GPL-3.0-or-later
// Our source manager's side of the protocol, called directly: states, identities of the
// SANE test devices, and the calls it refuses out of turn.
#include "scan/Twain.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

class SourceManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir folder;
        QFile dll(folder.filePath("dll.conf"));
        ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        QFile conf(folder.filePath("test.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("number_of_devices 2\n");
        conf.close();
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath("config")));
        void* library = ::dlopen(SOURCE_MANAGER, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        ASSERT_NE(library, nullptr) << ::dlerror();
        entry = reinterpret_cast<DSMENTRYPROC>(::dlsym(library, DsmEntryName));
        ASSERT_NE(entry, nullptr);
    }

    TW_UINT16 Manager(TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
        return entry(&app, nullptr, DG_CONTROL, type, message, data);
    }
    TW_UINT16 Source(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
        return entry(&app, &source, group, type, message, data);
    }
    TW_UINT16 Condition(bool ofSource) {
        TW_STATUS status{};
        entry(&app, ofSource ? &source : nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }

    static inline DSMENTRYPROC entry = nullptr;
    TW_IDENTITY app{};
    TW_IDENTITY source{};
    quintptr parent = 0;
};

} // namespace

TEST_F(SourceManager, ServesTheTestDevicesAndRefusesCallsOutOfTurn) {
    EXPECT_EQ(Manager(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_FAILURE); // not open yet
    EXPECT_EQ(Condition(false), TWCC_SEQERROR);
    ASSERT_EQ(Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    EXPECT_EQ(Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_FAILURE);

    // Every SANE device is a source.
    TW_IDENTITY listed{};
    ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETFIRST, &listed), TWRC_SUCCESS);
    EXPECT_STREQ(listed.ProductName, "test:0");
    EXPECT_EQ(listed.SupportedGroups, DG_CONTROL | DG_IMAGE);
    ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &listed), TWRC_SUCCESS);
    EXPECT_STREQ(listed.ProductName, "test:1");
    EXPECT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &listed), TWRC_ENDOFLIST);

    // Opened by its identity; one source at a time.
    source = listed;
    ASSERT_EQ(Manager(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    EXPECT_STREQ(source.ProductName, "test:1");
    TW_IDENTITY another{};
    EXPECT_EQ(Manager(DAT_IDENTITY, MSG_OPENDS, &another), TWRC_FAILURE);
    EXPECT_EQ(Condition(false), TWCC_MAXCONNECTIONS);
    TW_IDENTITY stranger = source;
    stranger.Id += 100;
    EXPECT_EQ(entry(&app, &stranger, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, nullptr),
              TWRC_FAILURE);

    // No transfer before the source is enabled and has something ready.
    TW_HANDLE image = nullptr;
    EXPECT_EQ(Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_FAILURE);
    EXPECT_EQ(Condition(true), TWCC_SEQERROR);

    TW_USERINTERFACE ui{1, 0, nullptr};
    ASSERT_EQ(Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "SourceWindow" && w->isVisible()) window = w;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Scan from Noname frontend-tester (test:1)");

    // Another device chosen in the window is opened in its place and becomes the default.
    auto* devices = window->findChild<QComboBox*>("DeviceBox");
    ASSERT_NE(devices, nullptr);
    ASSERT_EQ(devices->count(), 2);
    devices->setCurrentIndex(0);
    emit devices->activated(0);
    EXPECT_EQ(window->windowTitle(), "Scan from Noname frontend-tester (test:0)");
    TW_IDENTITY fallback{};
    ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETDEFAULT, &fallback), TWRC_SUCCESS);
    EXPECT_STREQ(fallback.ProductName, "test:0");

    // Events that are not the source's own are left to the application.
    QEvent other(QEvent::User);
    TW_PLATFORMEVENT offered{window, &other};
    TW_EVENT event{&offered, MSG_XFERREADY};
    EXPECT_EQ(Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);

    // Closing goes down the states in order.
    EXPECT_EQ(Manager(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_FAILURE); // still enabled
    EXPECT_EQ(Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_FAILURE);  // source open
    EXPECT_EQ(Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(Manager(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
}
