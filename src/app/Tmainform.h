// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: tool bar with the current tool group and its option panels, the
// drop-down of all six groups, the menu, the map canvas and the information bar. It
// holds the drawing attributes that new entities and raster tools use and the current
// tool state. Its members are defined across several files by concern:
//   MainWindowLayout.cpp  building the components
//   ToolGroups.cpp        groups, option panels, tool buttons, info bar buttons
//   Attributes.cpp        attribute controls and ApplyAttributes
//   FileCommands.cpp      open, save, exit, delete layers
//   PrintCommands.cpp     print, the poster, the map size
//   ScanCommand.cpp       scan
//   MapMouse.cpp          the map canvas's mouse events
//   DesktopHabits.cpp     keys, the status line, unsaved work and the close prompt
//   Settings.cpp          what is kept between runs, the recent files

#include "canvas/ShiftState.h"
#include "drawing/DXF_Object.h"
#include "drawing/selection_lists.h"
#include "platform/Colour.h"

#include <QMainWindow>
#include <QPoint>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMimeData;
class QTimer;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QSpinBox;
class QToolButton;
class QWidget;

namespace canvas {
class TGISPanel;
}
namespace print {
class PrinterChoice;
}
namespace dialogs {
class TDisplayOptions;
class TSetform;
class THelpForm;
class TLayerForm;
class TTrackingForm;
class Tinfoform;
} // namespace dialogs
namespace drawing {
struct Projection;
}
namespace platform {
class Canvas;
}
namespace raster {
struct TracedAddition;
struct TracedPolyline;
} // namespace raster

namespace app {

class ColourSquare;

struct Point3D {
    double x = 0, y = 0, z = 0;
};

class Tmainform : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    // Tool state.
    enum ToolModes : std::uint8_t {
        tmNone = 0,
        tmEditPoints = 1,
        tmPick = 2,
        tmLine = 3,
        tmRectangle = 4,
        tmCircle = 5,
        tmScale = 6,
        tmMove = 7,
        tmRotate = 8,
        tmPolyline = 9,
        tmText = 10,
        tmPencil = 11,
        tmEraser = 12,
        tmFillBox = 13
    };
    enum WorkModes : int {
        wmNone = 0,
        wmRaster = 2,
        wmConvert = 3,
        wmDraw = 4,
        wmVector = 6,
        wmSelected = 10,
        wmVisible = 11
    };
    std::uint8_t ToolMode = tmNone;
    int WorkMode = wmNone;

    // Map extent in world units.
    Point3D ExtentMin{1e10, 1e10, 1e10};
    Point3D ExtentMax{-1e10, -1e10, -1e10};

    // Drawing attributes of new entities and raster tools.
    static constexpr platform::Colour StartPenColour = 0xFE00FE; // magenta
    platform::Colour ForeColor = 0;
    int LineWidth = 1;
    std::uint8_t LineStyle = 0;
    platform::Colour BackColor = 0xFEFEFE;
    std::uint8_t BrushStyle = 0;
    std::uint8_t ClosePolylines = 0;
    std::string FontName = "Times New Roman";
    int FontSize = 12;
    platform::Colour FontColor = 0;
    std::uint8_t FontStyle = 0; // bit 0 bold, 1 italic, 2 underline
    int FontAngle = 0;          // tenths of a degree
    int BoxSize = 6;            // canvas pixels
    std::string TextString;
    std::string LayerName = "Penwright";
    int MouseX = 0, MouseY = 0;

    canvas::TGISPanel* GISPanel1 = nullptr;

    // The one drawing of the run and the entity lists that painting, picking, group edits
    // and saving act on. The picked and moved references point into the drawing.
    std::unique_ptr<drawing::DXF_Object> Drawing;
    bool DrawingOpen = false;
    std::unique_ptr<drawing::selection_lists> Selection;
    drawing::Entity_List* PickedList = nullptr;
    drawing::DXF_Entity* PickedEntity = nullptr;
    drawing::Point3 PickedVertex{};
    drawing::DXF_Entity* MoveEntity = nullptr;
    drawing::Point3 MoveFrom{};

    void NewDrawing(const std::string& name);

    // The program's other windows, one each for the whole run.
    dialogs::TTrackingForm* TrackingForm = nullptr;
    dialogs::TDisplayOptions* DisplayOptions = nullptr;
    dialogs::THelpForm* HelpForm = nullptr;
    dialogs::TLayerForm* LayerForm = nullptr;
    dialogs::Tinfoform* InfoForm = nullptr;
    dialogs::TSetform* Setform = nullptr;

    // Vector display (VectorDisplay.cpp). The sender picks the target: the menu items
    // "Vector to Raster" and "Copy to Clipboard", anything else the map's surface.
    void ZoomboxPaint(QObject* sender);
    void RefreshLayerLists(bool selectAll);
    // The visible vectors as a metafile, SVG and PNG, for the clipboard.
    QMimeData* VectorPicture();
    void ShowInformation();
    void UpdateInformation(); // when the information window is open
    QTimer* Track_timer = nullptr;
    int TrackTicks = 0;
    void Track_timerTimer();
    void SB3of2Click();

    // The status line of the info bar: what the last command did.
    void ShowStatus(const QString& text);
    // Work that a close would lose. Commands that change the drawing or the raster say so;
    // opening and saving files clear it.
    void MarkDrawingChanged() { drawingChanged_ = true; }
    void MarkRasterChanged() { rasterChanged_ = true; }
    bool UnsavedDrawing() const { return drawingChanged_; }
    bool UnsavedRaster() const { return rasterChanged_; }
    // Asks Save / Discard / Cancel when there is unsaved work; true when the window may
    // close (nothing to lose, discarded, or saved).
    bool MaybeSave();
    // Ends a zoom band, pan or the open group list (Escape).
    void CancelMouseWork();

    // Kept between runs (Settings.cpp). The window's place first, before it is shown; false
    // when none was kept. The rest when the window is first shown.
    bool RestoreWindowGeometry();
    void LoadSettings();
    void SaveSettings();
    void AddRecentFile(const QString& fileName, int filterIndex);
    QStringList RecentFiles() const;
    QMenu* RecentMenu = nullptr;

    void ApplyAttributes();
    void SetUpMap(Point3D min, Point3D max);
    void ShowGroup(int group);
    void ShowOptionPanel(int optionGroup);

    // File commands. OpenFile/SaveFile do the work of the dialogs' commands for one name
    // and filter index (1 bitmap, 2 JPEG, 3 RTV, 4 metafile, 5 DXF); OpenFile goes by the
    // file's content where that shows one of these.
    void OpenFile(const QString& fileName, int filterIndex);
    // Returns the name used, or an empty string when the save failed (the user was told).
    QString SaveFile(const QString& fileName, int filterIndex);
    // Save: the drawing again to the drawing file last opened or saved, else as Save As
    // with the drawing type chosen. False when nothing was saved.
    bool SaveDrawing();
    // Save As: the save dialog with a filter chosen; false when cancelled or failed.
    bool SaveAs(int filterIndex);
    // Opens a raster named on the command line, by its content.
    void OpenStartupFile(const QString& fileName);
    static QString MendExtension(const QString& fileName, int filterIndex);

    // The dialogs' filters, from the table of file formats.
    static const char* const OpenFilter;
    static const char* const SaveFilter;

    // Handlers named after their components.
    // The visible vectors as a metafile of the map's size.
    void SaveVectorsAsMetafile(const std::string& fileName);
    void SB4of2Click(); // delete the selected entity lists
    // Print (PrintCommands.cpp): the print map dialog, then the poster of the visible
    // vectors over across × down pages (1 to 10 each; the poster takes up to 9).
    void SB4of1Click();
    void PrintVectorPoster(int across, int down);
    void SB5of1Click(); // set map size
    print::PrinterChoice& Printer();
    void SB1of1Click();
    void SB2of1Click();
    void SB3of1Click(); // scan (ScanCommand.cpp)
    void Exit2Click();
    void GISPanel1MouseMove(QObject* sender, canvas::ShiftState shift, int x, int y);
    void GISPanel1MouseDown(QObject* sender, Qt::MouseButton button, canvas::ShiftState shift,
                            int x, int y);
    void GISPanel1MouseUp(QObject* sender, Qt::MouseButton button, canvas::ShiftState shift, int x,
                          int y);

    // Raster conversion (RasterConversion.cpp).
    QTimer* Timer1 = nullptr;                      // moves the dashes along the recorded outlines
    drawing::Point3 AnchorPoint{}, CurrentPoint{}; // map points of the press under way
    void VectorizeAll();
    void AddVectorizedObject();
    // One polyline of raster pixels onto the current layer with the current attributes,
    // drawn at once.
    void AddVectorizedPolyline(const std::vector<QPoint>& points, bool closed);

    // Whole sheets (SheetCommand.cpp): every region of line work of the raster, or of its
    // visible part, recorded, thinned and made centre lines (or outlines) on the current
    // layer in one go, specks dropped, with a progress dialog that can cancel. The test is
    // the one of the convert panels (dark lines: the threshold of DarkThresholdEdit, or
    // found from the sheet when it says "auto"). The last one can be taken out again in
    // one step while nothing was added to its layer since.
    struct SheetOptions {
        bool centreLines = true;
        bool visiblePartOnly = false;
        int speck = 4; // regions narrower and lower than this many pixels are dropped
    };
    // Asks for the options in the "Whole sheet" dialog; false when cancelled.
    bool AskSheetOptions(SheetOptions& options);
    // Returns the polylines added (0 when cancelled or nothing was found).
    std::size_t TraceSheet(const SheetOptions& options);
    bool UndoSheetTrace();
    bool CentreLinesAfterThin() const;
    // The dark-line threshold the convert panels ask for: their own or, on "auto", the
    // sheet's (Otsu).
    int DarkLineThreshold();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // MainWindowLayout.cpp
    void BuildToolBar();
    void BuildGroups();
    void BuildOptionPanels();
    void BuildInfoBar();
    void BuildMenu();
    QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& hint,
                             QRect geometry);
    QWidget* Panel(QWidget* parent, const char* name, QRect geometry);

    // ToolGroups.cpp
    void ConnectCommands();
    void Command(const char* button, const char* menuItem, std::function<void()> handler);
    void FormShow();
    void ResetViewButtons();
    void CheckRB1();
    void UncheckRB1();
    void PaintVectors(platform::Canvas& target, const drawing::Projection& projection,
                      bool drawUnselected);
    void ConnectWindows();
    void ConnectConversion();
    void ConnectSheetCommand();
    void ConnectDesktopHabits();
    void ConnectPrintCommands();
    void DisableUnbuiltCommands();
    void FillRecentMenu();
    QString DialogFolder() const;
    void SetPaintBoxCursorArrowUnlessSpecial();
    void SB4of7Click();
    void ChangeMouse1Click();

    // Attributes.cpp
    void ConnectAttributeControls();
    void PickColour(ColourSquare* square, platform::Colour& attribute);
    void ToggleFontStyle(QToolButton* button, std::uint8_t bit);

public:
    // Components, by their names; tests and later commands find them here as well.
    QWidget* Panel13 = nullptr; // tool bar
    QWidget* Panel3 = nullptr;  // drop-down of the groups
    QWidget* Panel18 = nullptr;
    QWidget* Panelinfo = nullptr;
    QWidget* Panel19 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    ColourSquare* Shape1 = nullptr;
    ColourSquare* Shape2 = nullptr;
    ColourSquare* Shape3 = nullptr;
    std::array<QWidget*, 9> GroupPanels{};  // indexed by group number (1, 3, 4, 5, 6, 8)
    std::array<QToolButton*, 9> Overlays{}; // overlay buttons by group number
    QWidget *Panel7 = nullptr, *Panel8 = nullptr, *Panel9 = nullptr, *Panel10 = nullptr,
            *Panel11 = nullptr, *Panel12 = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr, *SpinEdit3 = nullptr, *SpinEdit4 = nullptr,
             *SpinEdit5 = nullptr, *SpinEdit6 = nullptr, *SpinEdit7 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr,
              *ComboBox4 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton5 = nullptr,
                *SpeedButton13 = nullptr;
    QCheckBox *vectbox = nullptr, *draw_vertices = nullptr;
    QWidget* DarkPanel = nullptr; // beside Panel8: the dark-line test
    QCheckBox* DarkLinesBox = nullptr;
    QSpinBox* DarkThresholdEdit = nullptr; // 0: "auto"
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RB1 = nullptr, *RB2 = nullptr;
    QLabel *Labelinfo = nullptr, *Label1 = nullptr, *Label2 = nullptr;
    QAction* CopytoClipboard1 = nullptr; // senders that choose ZoomboxPaint's target
    QAction* VectortoRaster1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;

private:
    bool shown_ = false;
    bool trackingOn_ = false;
    bool drawingChanged_ = false, rasterChanged_ = false;
    QString drawingFile_; // the RTV file the drawing was last opened from or saved to
    QString lastFolder_;
    std::unique_ptr<print::PrinterChoice> printer_;
    bool printing_ = false;
    std::unique_ptr<raster::TracedAddition> lastSheet_; // what the last whole sheet added
};

} // namespace app
