// SPDX-License-Identifier: GPL-3.0-or-later
// Open, save and exit. The commands choose a file, check or mend its extension and hand
// the work to the map canvas and the raster file readers and writers.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TLayerForm.h"
#include "drawing/DXF_exception.h"
#include "drawing/DxfFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"
#include "platform/WmfCanvas.h"
#include "platform/ui/MessageBox.h"
#include "raster/RasterOpening.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

namespace app {

namespace {

const char* const SaveExtensions[] = {".bmp", ".jpg", ".rtv", ".wmf"}; // by filter index 1..4

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

int FilterIndex(const QFileDialog* dialog) {
    return int(dialog->nameFilters().indexOf(dialog->selectedNameFilter())) + 1;
}

} // namespace

QString Tmainform::MendExtension(const QString& fileName, int filterIndex) {
    if (filterIndex < 1 || filterIndex > 4) return fileName;
    const QString wanted = SaveExtensions[filterIndex - 1];
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
        default:
            platform::ShowMessage(
                "Opening metafiles and DXF files is not available in this version.", this);
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
    UpdateInformation();
}

QString Tmainform::SaveFile(const QString& fileName, int filterIndex) {
    const QString name = MendExtension(fileName, filterIndex);
    const std::string path = QFile::encodeName(name).toStdString();
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
            drawing::SaveDXF(path, *Selection);
            break;
        default:
            break;
        }
    } catch (const platform::FileError& e) {
        platform::ShowMessage(QString::fromStdString(e.what()), this);
    }
    return name;
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
    for (auto& [layer, name] : doomed)
        if (layer) layer->DeleteList(name, true);
    RefreshLayerLists(false);
    GISPanel1->Redraw();
}

void Tmainform::OpenStartupFile(const QString& fileName) {
    QFile file(fileName);
    QByteArray magic;
    if (file.open(QIODevice::ReadOnly)) magic = file.read(2);
    OpenFile(fileName, magic.startsWith("\xFF\xD8") ? 2 : 1);
}

void Tmainform::SB1of1Click() {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    OpenFile(OpenDialog1->selectedFiles().first(), FilterIndex(OpenDialog1));
}

void Tmainform::SB2of1Click() {
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
    const QString used = SaveFile(SaveDialog1->selectedFiles().first(), FilterIndex(SaveDialog1));
    SaveDialog1->selectFile(used);
}

void Tmainform::Exit2Click() {
    close();
}

} // namespace app
