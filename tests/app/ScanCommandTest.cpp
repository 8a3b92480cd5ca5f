// SPDX-License-Identifier: GPL-3.0-or-later
// File → Scan through our source manager from SANE's test device, configured here through
// SANE_CONFIG_DIR. What lands in the raster is compared with what SANE's own front end
// (scanimage) gets from the same device with the same options.
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "scan/ScriptedManager.h"
#include "scan/TwainSession.h"
#include "support/Mouse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

using app::Tmainform;

namespace {

// SANE reads its configuration folder once per process, so there is one for all tests.
QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

void WriteTestConf(const QString& extra = {}) {
    QFile conf(Folder().filePath("sane/test.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
    conf.write(("number_of_devices 2\ntest-picture \"Color pattern\"\n" + extra).toUtf8());
}

struct Setting {
    const char* mode; // as the source window offers it
    const char* sane; // scanimage's options for the same
    int resolution;
    double left, top, width, height;
};

// An image from scanimage, as 0x00BBGGRR colours row by row.
struct Reference {
    int width = 0, height = 0;
    std::vector<platform::Colour> pixels;
};

Reference ScanImage(const Setting& s) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SANE_CONFIG_DIR", Folder().filePath("sane"));
    process.setProcessEnvironment(env);
    QStringList args = {"-d",
                        "test:1",
                        "--format=pnm",
                        "--resolution",
                        QString::number(s.resolution),
                        "-l",
                        QString::number(s.left),
                        "-t",
                        QString::number(s.top),
                        "-x",
                        QString::number(s.width),
                        "-y",
                        QString::number(s.height)};
    args += QString(s.sane).split(' ');
    process.start("scanimage", args);
    process.waitForFinished(60000);
    const QByteArray pnm = process.readAllStandardOutput();
    Reference r;
    // Header: magic, comments, width, height, and a maximum for grey and colour.
    int at = 0;
    auto token = [&]() {
        while (at < pnm.size()) {
            if (pnm[at] == '#')
                while (at < pnm.size() && pnm[at] != '\n') ++at;
            else if (std::isspace(static_cast<unsigned char>(pnm[at])))
                ++at;
            else
                break;
        }
        const int start = at;
        while (at < pnm.size() && !std::isspace(static_cast<unsigned char>(pnm[at]))) ++at;
        return pnm.mid(start, at - start);
    };
    const QByteArray magic = token();
    r.width = token().toInt();
    r.height = token().toInt();
    if (magic != "P4") token();
    ++at; // the one whitespace before the data
    const auto* data = reinterpret_cast<const std::uint8_t*>(pnm.constData()) + at;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            if (magic == "P6") {
                const std::uint8_t* p = data + 3 * (std::size_t(y) * r.width + x);
                r.pixels.push_back(platform::MakeColour(p[0], p[1], p[2]));
            } else if (magic == "P5") {
                const std::uint8_t v = data[std::size_t(y) * r.width + x];
                r.pixels.push_back(platform::MakeColour(v, v, v));
            } else {
                const std::size_t line = (std::size_t(r.width) + 7) / 8;
                const bool black = data[y * line + std::size_t(x) / 8] & (0x80 >> (x % 8));
                r.pixels.push_back(black ? 0 : 0xFFFFFF);
            }
        }
    return r;
}

// Answers the scanner's windows as a person would, one step at a time: sourceWindow once
// when the source's window shows, then tick on every later step while it is up.
class ScanDriver {
public:
    std::function<void(QWidget* sourceWindow)> sourceWindow;
    std::function<void(QWidget* sourceWindow)> tick;
    QStringList messages;
    QString preselected; // the source the selection dialog offered first

    ScanDriver() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
        timer_.start();
    }

private:
    void Step() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.append(box->text());
            box->accept();
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            if (w->objectName() == "SourceSelection") {
                auto* list = w->findChild<QListWidget*>("SourceList");
                auto* select = w->findChild<QAbstractButton*>("SelectButton");
                if (!list || !select || !select->isEnabled()) return;
                preselected = list->currentItem()->text();
                for (int i = 0; i < list->count(); ++i)
                    if (list->item(i)->text().contains("test:1")) list->setCurrentRow(i);
                select->click();
                return;
            }
            if (w->objectName() == "SourceWindow") {
                if (w != handled_) {
                    handled_ = w;
                    sourceWindow(w);
                } else if (tick) {
                    tick(w);
                }
                return;
            }
        }
    }
    QTimer timer_;
    QWidget* handled_ = nullptr;
};

template <class T> T* Child(QWidget* w, const char* name) {
    T* child = w->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Choose(QWidget* window, const Setting& s) {
    auto* mode = Child<QComboBox>(window, "ModeBox");
    mode->setCurrentIndex(mode->findText(s.mode));
    Child<QComboBox>(window, "ResolutionBox")->setEditText(QString::number(s.resolution));
    Child<QDoubleSpinBox>(window, "AreaLeft")->setValue(s.left);
    Child<QDoubleSpinBox>(window, "AreaTop")->setValue(s.top);
    Child<QDoubleSpinBox>(window, "AreaWidth")->setValue(s.width);
    Child<QDoubleSpinBox>(window, "AreaHeight")->setValue(s.height);
}

class ScanCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(QDir(Folder().path()).mkpath("sane"));
        QFile dll(Folder().filePath("sane/dll.conf"));
        ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(Folder().filePath("sane")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Folder().filePath("config")));
    }
    void SetUp() override {
        WriteTestConf();
        form.resize(1000, 600);
        form.show();
    }
    void Scan() { form.findChild<QToolButton*>("SB3of1")->click(); }

    Tmainform form;
};

} // namespace

TEST_F(ScanCommand, TheTestPatternLandsInTheRasterAtTheChosenResolutionAndMode) {
    const Setting settings[] = {
        {"Colour", "--mode Color --depth 8", 100, 10, 5, 40, 30},
        {"Grey", "--mode Gray --depth 8", 75, 0, 0, 50, 40},
        {"Black and white", "--mode Gray --depth 1", 150, 20, 20, 25, 20},
    };
    bool first = true;
    for (const Setting& s : settings) {
        ScanDriver driver;
        driver.sourceWindow = [&s](QWidget* w) {
            Choose(w, s);
            Child<QAbstractButton>(w, "ScanButton")->click();
        };
        Scan();
        EXPECT_TRUE(driver.messages.isEmpty()) << driver.messages.join("\n").toStdString();
        // The choice of the first scan is offered first afterwards.
        if (!first) {
            EXPECT_TRUE(driver.preselected.contains("test:1")) << s.mode;
        }
        first = false;

        const Reference expected = ScanImage(s);
        const platform::Bitmap24& raster = form.GISPanel1->Raster();
        ASSERT_GT(expected.width, 0) << "scanimage gave no image";
        ASSERT_EQ(raster.Width(), expected.width) << s.mode;
        ASSERT_EQ(raster.Height(), expected.height) << s.mode;
        int wrong = 0;
        for (int y = 0; y < expected.height; ++y)
            for (int x = 0; x < expected.width; ++x)
                // The raster keeps its mark bits in each byte's lowest bit.
                wrong += raster.Pixel(x, y) !=
                         (expected.pixels[std::size_t(y) * expected.width + x] & 0xFEFEFE);
        EXPECT_EQ(wrong, 0) << s.mode;
        // The extent follows the scan; the window's own extent stays.
        EXPECT_EQ(form.ExtentMax.x, 800);
        EXPECT_TRUE(form.UnsavedRaster());
    }
}

TEST_F(ScanCommand, ACancelledOrFailedScanLeavesTheRasterAndSaysSo) {
    const platform::Colour before = form.GISPanel1->Raster().Pixel(5, 5);
    const Setting s{"Colour", "", 300, 0, 0, 80, 100};
    {
        // Slow reads: the scan runs long enough to be cancelled half way.
        WriteTestConf("read-delay true\nread-delay-duration 100000\nread-limit true\n"
                      "read-limit-size 4096\n");
        ScanDriver driver;
        QString status;
        driver.sourceWindow = [&](QWidget* w) {
            Choose(w, s);
            Child<QAbstractButton>(w, "ScanButton")->click();
        };
        driver.tick = [&](QWidget* w) {
            auto* cancel = Child<QAbstractButton>(w, "CancelButton");
            const QString text = Child<QLabel>(w, "StatusText")->text();
            // Half way: once some of the image has arrived.
            const bool started = Child<QProgressBar>(w, "ScanProgress")->value() > 0;
            if (cancel->isEnabled() && text == "Scanning…") {
                if (started) cancel->click();
            } else if (!cancel->isEnabled() && status.isEmpty()) {
                status = text;
                Child<QAbstractButton>(w, "CloseButton")->click();
            }
        };
        Scan();
        EXPECT_EQ(status, "Scan cancelled.");
        EXPECT_TRUE(driver.messages.isEmpty());
    }
    {
        WriteTestConf("read-status-code \"SANE_STATUS_IO_ERROR\"\n");
        ScanDriver driver;
        driver.sourceWindow = [&](QWidget* w) {
            Choose(w, s);
            Child<QAbstractButton>(w, "ScanButton")->click();
        };
        driver.tick = [&](QWidget* w) {
            if (!driver.messages.isEmpty()) Child<QAbstractButton>(w, "CloseButton")->click();
        };
        Scan();
        ASSERT_EQ(driver.messages.size(), 1);
        EXPECT_TRUE(driver.messages[0].startsWith("The scan failed."))
            << driver.messages[0].toStdString();
    }
    EXPECT_EQ(form.GISPanel1->Raster().Width(), 800);
    EXPECT_EQ(form.GISPanel1->Raster().Height(), 600);
    EXPECT_EQ(form.GISPanel1->Raster().Pixel(5, 5), before);
    EXPECT_FALSE(form.UnsavedRaster());
}

TEST_F(ScanCommand, APreviewOfTheWholeAreaAndADragOnItChooseWhatIsScanned) {
    ScanDriver driver;
    bool previewed = false, dragged = false;
    double left = 0, top = 0, width = 0, height = 0;
    driver.sourceWindow = [&](QWidget* w) {
        Choose(w, {"Colour", "", 50, 0, 0, 80, 100});
        Child<QAbstractButton>(w, "PreviewButton")->click();
    };
    driver.tick = [&](QWidget* w) {
        auto* scan = Child<QAbstractButton>(w, "ScanButton");
        if (!scan->isEnabled()) return; // previewing
        const QString status = Child<QLabel>(w, "StatusText")->text();
        if (!previewed) {
            previewed = status.startsWith("Drag on the preview");
            if (!previewed) return;
        }
        if (!dragged) {
            // The device's whole area (200 mm square) fills the preview's shorter side.
            QWidget* preview = Child<QWidget>(w, "PreviewArea");
            const double side = std::min(preview->width(), preview->height()) - 8;
            auto at = [side](double mmX, double mmY) {
                return QPoint(int(4 + side * mmX / 200), int(4 + side * mmY / 200));
            };
            using testing_support::SendMouse;
            SendMouse(preview, QEvent::MouseButtonPress, at(50, 20), Qt::LeftButton,
                      Qt::LeftButton);
            SendMouse(preview, QEvent::MouseMove, at(80, 70), Qt::NoButton, Qt::LeftButton);
            SendMouse(preview, QEvent::MouseMove, at(110, 120), Qt::NoButton, Qt::LeftButton);
            SendMouse(preview, QEvent::MouseButtonRelease, at(110, 120), Qt::LeftButton,
                      Qt::NoButton);
            left = Child<QDoubleSpinBox>(w, "AreaLeft")->value();
            top = Child<QDoubleSpinBox>(w, "AreaTop")->value();
            width = Child<QDoubleSpinBox>(w, "AreaWidth")->value();
            height = Child<QDoubleSpinBox>(w, "AreaHeight")->value();
            dragged = true;
            scan->click();
        }
    };
    Scan();
    ASSERT_TRUE(previewed);
    // The drag chose about 50..110 mm across and 20..120 mm down.
    EXPECT_NEAR(left, 50, 1.5);
    EXPECT_NEAR(top, 20, 1.5);
    EXPECT_NEAR(width, 60, 1.5);
    EXPECT_NEAR(height, 100, 1.5);
    // At 50 dpi that is about 118 × 197 pixels.
    EXPECT_NEAR(form.GISPanel1->Raster().Width(), width / 25.4 * 50, 2);
    EXPECT_NEAR(form.GISPanel1->Raster().Height(), height / 25.4 * 50, 2);
}

TEST_F(ScanCommand, AnImageThatCannotBeReadIsReportedAndChangesNothing) {
    // A source manager that hands over images the program does not read.
    void* library = ::dlopen(SCRIPTED_MANAGER, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto configure =
        reinterpret_cast<ScriptedConfigureProc>(::dlsym(library, "ScriptedManager_Configure"));
    const ScriptedScript script{.images = 2, .badImages = true};
    configure(&script);
    scan::SetManagerLibrary(SCRIPTED_MANAGER);
    const platform::Colour before = form.GISPanel1->Raster().Pixel(5, 5);
    ScanDriver driver;
    Scan();
    scan::SetManagerLibrary("libpenwright-twaindsm.so");
    EXPECT_EQ(driver.messages, QStringList{"The scanned image cannot be used: images of 16 bits a "
                                           "pixel are not supported."});
    EXPECT_EQ(form.GISPanel1->Raster().Width(), 800);
    EXPECT_EQ(form.GISPanel1->Raster().Pixel(5, 5), before);
    EXPECT_EQ(scan::TWAIN_SessionState(), 1);
}
