// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: tool bar with the current tool group and its option panels, the
// drop-down of all six groups, the menu, the map canvas and the information bar. It
// holds the drawing, the selection and the drawing attributes, and hands the map's mouse
// to the mouse tools (src/mousetools). Its members are defined across several files by
// concern:
//   Commands.cpp          the table of every tool button and menu item and what it does
//   MainWindowLayout.cpp  building the components from the tables
//   ToolGroups.cpp        groups, option panels, view modes, start-up
//   Attributes.cpp        attribute controls and ApplyAttributes
//   FileCommands.cpp      open, save, exit, delete layers
//   PrintCommands.cpp     print, the poster, the map size
//   ScanCommand.cpp       scan
//   MapMouse.cpp          the map canvas's mouse events, the entities property dialog
//   RasterConversion.cpp  detect edge and "V"
//   VectorDisplay.cpp     painting the vectors, hover tracking
//   Windows.cpp           the other windows
//   DesktopHabits.cpp     keys, the status line, unsaved work and the close prompt
//   Settings.cpp          what is kept between runs, the recent files

#include "canvas/MapMouseEvent.h"
#include "drawing/DXF_Object.h"
#include "drawing/selection_lists.h"
#include "mousetools/DrawingAttributes.h"
#include "mousetools/ToolContext.h"
#include "mousetools/ToolModes.h"
#include "platform/Colour.h"

#include <QMainWindow>
#include <QPoint>
#include <array>
#include <functional>
#include <memory>
#include <span>
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
class ColourSquare;
class TDisplayOptions;
class TSetform;
class THelpForm;
class TLayerForm;
class TTrackingForm;
class Tinfoform;
class Tpropform;
} // namespace dialogs
namespace drawing {
struct Projection;
}
namespace mousetools {
class MapInteraction;
class PanelView;
} // namespace mousetools
namespace platform {
class Canvas;
}
namespace raster {
struct TracedAddition;
struct TracedPolyline;
} // namespace raster

namespace app {

struct Command;
struct ToolGroup;
struct MenuTitle;

struct Point3D {
    double x = 0, y = 0, z = 0;
};

class Tmainform : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    // New vectors must show over the scan they are traced from: a pen colour that line work
    // rarely has.
    static constexpr platform::Colour StartPenColour = 0xFE00FE; // magenta

    // What other classes and the tests read.
    canvas::TGISPanel& Map() const { return *GISPanel1; }
    drawing::DXF_Object* CurrentDrawing() const { return Drawing.get(); }
    const drawing::selection_lists& SelectedLists() const { return *Selection; }
    const mousetools::DrawingAttributes& Attributes() const { return attributes_; }
    const mousetools::PickState& Picks() const { return picks_; }
    const mousetools::MapInteraction& Interaction() const { return *interaction_; }
    Point3D MapExtentMin() const { return ExtentMin; }
    Point3D MapExtentMax() const { return ExtentMax; }

    void NewDrawing(const std::string& name);
    void ApplyAttributes();
    void SetUpMap(Point3D min, Point3D max);
    void ShowGroup(int group);
    void ShowOptionPanel(int optionGroup);

    // Vector display (VectorDisplay.cpp). The sender picks the target: the menu items
    // "Vector to Raster" and "Copy to Clipboard", anything else the map's surface.
    void ZoomboxPaint(QObject* sender);
    void RefreshLayerLists(bool selectAll);
    // The visible vectors as a metafile, SVG and PNG, for the clipboard.
    QMimeData* VectorPicture();
    void ShowInformation();
    void UpdateInformation(); // when the information window is open
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
    // Ends a zoom band, pan, the operation of a mouse tool or the open group list (Escape).
    void CancelMouseWork();

    // Kept between runs (Settings.cpp). The window's place first, before it is shown; false
    // when none was kept. The rest when the window is first shown.
    bool RestoreWindowGeometry();
    void LoadSettings();
    void SaveSettings();
    void AddRecentFile(const QString& fileName, int filterIndex);
    QStringList RecentFiles() const;

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
    void VectorizeAll();
    // One polyline of raster pixels onto the current layer with the current attributes;
    // the caller redraws the map when it has added them all.
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
                             const char* glyph, QRect geometry);
    QToolButton* CommandButton(const Command& command, QWidget* parent, QRect geometry);
    QWidget* Panel(QWidget* parent, const char* name, QRect geometry);

    // Commands.cpp, ToolGroups.cpp. The command table: every tool button and menu item.
    static std::span<const Command> Commands();
    static std::span<const ToolGroup> Groups();
    static std::span<const MenuTitle> Menus();
    void RunCommand(const Command& command);
    void ChooseRasterTool(); // the raster tools keep an undo copy of what is on screen
    void ChooseViewMode(QToolButton* button, int mouseMode, Qt::CursorShape cursor);
    void DetectEdgeMode(); // SBs5
    void SelectMode();     // SBs9
    void ConvertAll(void (*work)(Tmainform&));
    // Work on every recorded object (thin, contract, enlarge) under a progress dialog;
    // work gets the progress callback to report to (RasterConversion.cpp).
    void WithObjectProgress(const QString& text,
                            const std::function<void(const std::function<bool(double)>&)>& work);
    void ShowHelpPage(const char* page);
    void FormShow();
    void ResetViewButtons();
    void CheckRB1();
    void UncheckRB1();
    void PaintVectors(platform::Canvas& target, const drawing::Projection& projection,
                      bool drawUnselected);
    void ConnectCommands();
    void ConnectWindows();
    void ConnectConversion();
    void ConnectSheetCommand();
    void WholeSheetClick();
    void UndoSheetClick();
    void ConnectDesktopHabits();
    void ConnectMouseTools();
    void ConnectPrintCommands();
    void FillRecentMenu();
    QString DialogFolder() const;
    void SetPaintBoxCursorArrowUnlessSpecial();
    void SB4of7Click();
    void ChangeMouse1Click();
    void OpenLayers();
    void OpenDisplayOptions();
    void OpenInformation();

    // Attributes.cpp
    static const std::uint8_t BrushEntries[8];
    void ConnectAttributeControls();
    void PickColour(dialogs::ColourSquare* square, platform::Colour& attribute);
    void ToggleFontStyle(QToolButton* button, std::uint8_t bit);
    void ShowPickedColours();

    // MapMouse.cpp, RasterConversion.cpp
    void GISPanel1MouseDown(const canvas::MapMouseEvent& e);
    void GISPanel1MouseMove(const canvas::MapMouseEvent& e);
    void GISPanel1MouseUp(const canvas::MapMouseEvent& e);
    bool EditProperties(bool textMode);
    void ConversionPress(const canvas::MapMouseEvent& e);
    void ConversionRelease(const canvas::MapMouseEvent& e);

    // Map extent in world units.
    Point3D ExtentMin{1e10, 1e10, 1e10};
    Point3D ExtentMax{-1e10, -1e10, -1e10};

    // Drawing attributes of new entities and raster tools, and the mouse tools that use them.
    mousetools::DrawingAttributes attributes_;
    mousetools::PickState picks_;
    mousetools::ToolEvents toolEvents_;
    std::unique_ptr<mousetools::PanelView> mapView_;
    std::unique_ptr<mousetools::ToolContext> toolContext_;
    std::unique_ptr<mousetools::MapInteraction> interaction_;
    int MouseX = 0, MouseY = 0; // last mouse position over the map, surface pixels
    // Detect edge follows the outline under a plain left press, at its release.
    bool detectArmed_ = false;
    QPoint detectAt_;

    canvas::TGISPanel* GISPanel1 = nullptr;

    // The one drawing of the run and the entity lists that painting, picking, group edits
    // and saving act on.
    std::unique_ptr<drawing::DXF_Object> Drawing;
    bool DrawingOpen = false;
    std::unique_ptr<drawing::selection_lists> Selection;

    // The program's other windows, one each for the whole run.
    dialogs::TTrackingForm* TrackingForm = nullptr;
    dialogs::TDisplayOptions* DisplayOptions = nullptr;
    dialogs::THelpForm* HelpForm = nullptr;
    dialogs::Tpropform* PropForm = nullptr;
    dialogs::TLayerForm* LayerForm = nullptr;
    dialogs::Tinfoform* InfoForm = nullptr;
    dialogs::TSetform* Setform = nullptr;

    QTimer* Track_timer = nullptr;
    int TrackTicks = 0;
    QTimer* Timer1 = nullptr; // moves the dashes along the recorded outlines
    QMenu* RecentMenu = nullptr;

    // Components, by their names.
    QWidget* Panel13 = nullptr; // tool bar
    QWidget* Panel3 = nullptr;  // drop-down of the groups
    QWidget* Panel18 = nullptr;
    QWidget* Panelinfo = nullptr;
    QWidget* Panel19 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    dialogs::ColourSquare* Shape1 = nullptr;
    dialogs::ColourSquare* Shape2 = nullptr;
    dialogs::ColourSquare* Shape3 = nullptr;
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
    // The mouse-mode buttons of the info bar, shown down while their mode is on.
    QToolButton *SBs5 = nullptr, *SBs6 = nullptr, *SBs7 = nullptr, *SBs8 = nullptr, *SBs9 = nullptr,
                *SB3of2 = nullptr;
    QAction* Save1 = nullptr;
    QAction* CopytoClipboard1 = nullptr; // senders that choose ZoomboxPaint's target
    QAction* VectortoRaster1 = nullptr;
    QAction* CentreLines1 = nullptr; // checked: V makes centre lines of thinned objects
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;

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
