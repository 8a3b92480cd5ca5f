// SPDX-License-Identifier: GPL-3.0-or-later
// Open, save and exit. The commands choose a file, check or mend its extension and hand
// the work to the map canvas, the raster file readers and writers and the drawing files.
// The table of file formats (platform/FileFormats.h) gives the dialogs' types, the
// extensions and the format a file's content shows: a file opened under a type its
// content does not match is opened as what it is.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TLayerForm.h"
#include "drawing/DXF_exception.h"
#include "drawing/DxfFile.h"
#include "drawing/DxfReader.h"
#include "drawing/WmfImport.h"
#include "platform/FileError.h"
#include "platform/FileFormats.h"
#include "platform/InputFile.h"
#include "platform/RasterFiles.h"
#include "platform/WmfCanvas.h"
#include "platform/ui/MessageBox.h"
#include "raster/RasterOpening.h"
#include "raster/TracedDrawing.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <algorithm>

namespace app {

namespace {

// Shows a wait cursor and a status text while a long file operation runs.
class BusyIndicator {
public:
    BusyIndicator(QLabel* status, const QString& text) : status_(status), old_(status->text()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status_->setText(text);
        status_->repaint();
    }
    ~BusyIndicator() {
        status_->setText(old_);
        QApplication::restoreOverrideCursor();
    }

private:
    QLabel* status_;
    QString old_;
};

// A drawing read from another program may lie far from the map (a CAD file in survey
// coordinates): when none of it overlaps the map's extent, the view moves to it.
void ShowDrawingIfOffTheMap(const drawing::DXF_Object& dxf, canvas::TGISPanel& map,
                            const Point3D& extentMin, const Point3D& extentMax) {
    drawing::Point3 max{-1e300, -1e300, 0}, min{1e300, 1e300, 0};
    for (const auto& layer : dxf.Layers)
        for (const auto& list : layer->Lists) list->ExtendBounds(max, min);
    if (!(min.x <= max.x && min.y <= max.y)) return; // nothing there
    const bool overlaps = min.x <= extentMax.x && max.x >= extentMin.x && min.y <= extentMax.y &&
                          max.y >= extentMin.y;
    if (overlaps) return;
    const double margin = std::max({max.x - min.x, max.y - min.y, 1.0}) / 20;
    map.ZoomToRect(min.x - margin, max.x + margin, min.y - margin, max.y + margin);
}

int FilterIndex(const QFileDialog* dialog) {
    return int(dialog->nameFilters().indexOf(dialog->selectedNameFilter())) + 1;
}

} // namespace

const char* const Tmainform::OpenFilter = platform::OpenDialogFilter();
const char* const Tmainform::SaveFilter = platform::SaveDialogFilter();

QString Tmainform::MendExtension(const QString& fileName, int filterIndex) {
    const platform::FileFormatEntry* entry =
        platform::FormatEntry(platform::FormatOfFilterIndex(filterIndex));
    if (!entry) return fileName;
    const QString wanted = entry->Extension;
    const int dot = int(fileName.lastIndexOf('.'));
    const QString extension = dot >= 0 ? fileName.mid(dot) : QString();
    return extension.toUpper() == wanted.toUpper() ? fileName : fileName + wanted;
}

void Tmainform::OpenFile(const QString& fileName, int filterIndex) {
    if (!QFile::exists(fileName)) {
        platform::ShowMessage("File not found", this);
        return;
    }
    const std::string name = QFile::encodeName(fileName).toStdString();
    // The content decides where it shows a format the program opens.
    const platform::FileFormatEntry* shown = platform::FormatEntry(platform::FormatOfFile(name));
    if (shown && shown->FilterIndex != 0) filterIndex = shown->FilterIndex;
    QString skipped; // what a drawing file held that the drawing cannot
    try {
        BusyIndicator busy(Labelinfo, "Opening " + QFileInfo(fileName).fileName() + "…");
        switch (filterIndex) {
        case 1: {
            GISPanel1->LoadRaster(name);
            const platform::Bitmap24& r = GISPanel1->Raster();
            ExtentMin.x = ExtentMin.y = 0;
            ExtentMax.x = r.Width();
            ExtentMax.y = r.Height();
            break;
        }
        case 2: {
            GISPanel1->AdoptRaster(raster::OpenJpeg(name));
            const platform::Bitmap24& r = GISPanel1->Raster();
            ExtentMin = {0, 0, ExtentMin.z};
            ExtentMax = {double(r.Width()), double(r.Height()), ExtentMax.z};
            break;
        }
        case 3: {
            // Adds the file's layers and entities to the drawing. What was read before a
            // fault stays, so the lists are refilled either way.
            struct RefillLists {
                Tmainform* form;
                ~RefillLists() {
                    form->DrawingOpen = true;
                    form->RefreshLayerLists(true);
                }
            } refill{this};
            Selection->LoadRTV(name, *Drawing);
            break;
        }
        case 4:
        case 5: {
            // Either reader changes the drawing only when the whole file was read.
            if (filterIndex == 4) {
                skipped = QString::fromStdString(drawing::LoadWMF(name, *Drawing).SkippedText());
            } else {
                // Large files take a while: a progress bar that can cancel, and a window
                // that stays alive (it takes no input meanwhile).
                QProgressDialog progress("Reading " + QFileInfo(fileName).fileName() + "…",
                                         "Cancel", 0, 1000, this);
                progress.setObjectName("ReadProgress");
                progress.setWindowModality(Qt::WindowModal);
                progress.setMinimumDuration(700);
                skipped = QString::fromStdString(
                    drawing::LoadDXF(name, *Drawing, [&progress](double done) {
                        progress.setValue(int(done * 1000));
                        QApplication::processEvents();
                        return !progress.wasCanceled();
                    }).SkippedText());
            }
            DrawingOpen = true;
            RefreshLayerLists(true);
            break;
        }
        default:
            return;
        }
    } catch (const platform::FileError& e) {
        platform::ShowMessage(QString::fromStdString(e.what()), this);
        return;
    } catch (const drawing::DXF_exception& e) {
        platform::ShowMessage(QString::fromStdString(e.what()), this);
        return;
    } catch (const std::bad_alloc&) {
        platform::ShowMessage("\"" + fileName + "\": not enough memory to open the file.", this);
        return;
    }
    GISPanel1->Image.Visible = true;
    GISPanel1->SetExtent(20, 20, ExtentMin.x, ExtentMax.x, ExtentMin.y, ExtentMax.y);
    GISPanel1->Redraw();
    if (filterIndex >= 4) ShowDrawingIfOffTheMap(*Drawing, *GISPanel1, ExtentMin, ExtentMax);
    UpdateInformation();
    if (filterIndex == 3) {
        // Save writes the drawing back to its file, unless it held work of its own.
        if (!drawingChanged_) drawingFile_ = fileName;
    } else if (filterIndex <= 2) {
        rasterChanged_ = false;
    }
    AddRecentFile(fileName, filterIndex);
    ShowStatus("Opened " + QFileInfo(fileName).fileName());
    if (!skipped.isEmpty())
        platform::ShowMessage("\"" + fileName +
                                  "\": not read, having no counterpart in the drawing: " + skipped +
                                  ".",
                              this);
}

QString Tmainform::SaveFile(const QString& fileName, int filterIndex) {
    const QString name = MendExtension(fileName, filterIndex);
    const std::string path = QFile::encodeName(name).toStdString();
    std::size_t notWritten = 0;
    try {
        BusyIndicator busy(Labelinfo, "Saving " + QFileInfo(name).fileName() + "…");
        switch (filterIndex) {
        case 1:
            GISPanel1->SaveRaster(path);
            break;
        case 2:
            platform::SaveJpeg(path, GISPanel1->Raster(), 90);
            break;
        case 3:
            Selection->SaveRTV(path); // the lists selected in the layers dialog
            break;
        case 4:
            SaveVectorsAsMetafile(path);
            break;
        case 5:
            notWritten = drawing::SaveDXF(path, *Selection).NotFinite;
            break;
        default:
            break;
        }
    } catch (const platform::FileError& e) {
        platform::ShowMessage(QString::fromStdString(e.what()), this);
        return {};
    }
    switch (filterIndex) {
    case 1:
    case 2:
        rasterChanged_ = false;
        break;
    case 3:
        drawingFile_ = name;
        drawingChanged_ = false;
        break;
    case 5: // a whole drawing, for other programs
        drawingChanged_ = false;
        break;
    default: // a metafile is a picture of the drawing, not the drawing
        break;
    }
    AddRecentFile(name, filterIndex);
    ShowStatus("Saved " + QFileInfo(name).fileName());
    if (notWritten > 0)
        platform::ShowMessage("\"" + name + "\": " + QString::number(notWritten) +
                                  " entities were left out: a coordinate was not a number.",
                              this);
    return name;
}

bool Tmainform::SaveDrawing() {
    if (drawingFile_.isEmpty()) return SaveAs(3);
    return !SaveFile(drawingFile_, 3).isEmpty();
}

bool Tmainform::SaveAs(int filterIndex) {
    const QStringList filters = SaveDialog1->nameFilters();
    if (filterIndex >= 1 && filterIndex <= filters.size())
        SaveDialog1->selectNameFilter(filters.at(filterIndex - 1));
    SaveDialog1->setDirectory(DialogFolder());
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return false;
    lastFolder_ = SaveDialog1->directory().absolutePath();
    const QString used = SaveFile(SaveDialog1->selectedFiles().first(), FilterIndex(SaveDialog1));
    if (used.isEmpty()) return false;
    SaveDialog1->selectFile(used);
    return true;
}

void Tmainform::SaveVectorsAsMetafile(const std::string& fileName) {
    const QSize size = GISPanel1->PaintBox()->size();
    platform::WmfCanvas metafile(size.width(), size.height());
    PaintVectors(metafile, GISPanel1->ScreenProjection(), true);
    metafile.Save(fileName);
}

void Tmainform::SB4of2Click() {
    // Note each list's layer and name first: deleting frees the lists.
    std::vector<std::pair<drawing::DXF_Layer*, std::string>> doomed;
    for (drawing::Entity_List* list : Selection->Lists)
        doomed.emplace_back(list->Layer, list->Name);
    Selection->Lists.clear();
    lastSheet_.reset(); // what it added may go now
    for (auto& [layer, name] : doomed)
        if (layer) layer->DeleteList(name, true);
    if (!doomed.empty()) MarkDrawingChanged();
    RefreshLayerLists(false);
    GISPanel1->Redraw();
}

void Tmainform::OpenStartupFile(const QString& fileName) {
    // By content (OpenFile looks); a name the table knows says what to expect otherwise.
    const platform::FileFormatEntry* entry = platform::FormatEntry(
        platform::FormatOfExtension(QFile::encodeName(fileName).toStdString()));
    OpenFile(fileName, entry && entry->FilterIndex != 0 ? entry->FilterIndex : 1);
}

void Tmainform::SB1of1Click() {
    OpenDialog1->setDirectory(DialogFolder());
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    lastFolder_ = OpenDialog1->directory().absolutePath();
    OpenFile(OpenDialog1->selectedFiles().first(), FilterIndex(OpenDialog1));
}

void Tmainform::SB2of1Click() {
    SaveAs(0); // the type chosen last
}

void Tmainform::Exit2Click() {
    close();
}

QString Tmainform::DialogFolder() const {
    return lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_;
}

} // namespace app
