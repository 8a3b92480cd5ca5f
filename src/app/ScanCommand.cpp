// SPDX-License-Identifier: GPL-3.0-or-later
// File → Scan: the user chooses a source, the source's window scans, and the first image
// acquired becomes the raster. The image is read into a new raster before the old one is
// touched, so a scan that fails, is cancelled or delivers a bad image leaves the raster,
// extent and view as they were.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "platform/ui/MessageBox.h"
#include "scan/ImageTransfer.h"
#include "scan/TwainSession.h"

#include <QApplication>
#include <new>

namespace app {

void Tmainform::SB3of1Click() {
    // The acquisition's event loop keeps this window working; a second scan waits its turn.
    static bool scanning = false;
    if (scanning) return;
    scanning = true;
    struct Done {
        ~Done() { scanning = false; }
    } done;

    scan::TWAIN_SelectImageSource(0); // a cancelled choice still scans from the default
    scan::TWAIN_AcquireImages(0);
    scan::ImageHandle image = scan::TWAIN_ScannedImage(0);
    // Only the first image is used; the others would otherwise be lost.
    for (int slot = 1; slot < scan::TWAIN_ImageCount(); ++slot)
        scan::TWAIN_FreeImage(scan::TWAIN_ScannedImage(slot));
    if (!image) return;

    platform::Bitmap24 raster;
    QString problem;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            raster = scan::TakeImage(image); // frees the image, whatever happens
        } catch (const scan::DibError& e) {
            problem = QString("The scanned image cannot be used: %1.").arg(e.what());
        } catch (const std::bad_alloc&) {
            problem = "There is not enough memory for the scanned image.";
        }
        QApplication::restoreOverrideCursor();
    }
    if (!problem.isEmpty()) {
        platform::ShowMessage(problem, this);
        return;
    }

    const int width = raster.Width(), height = raster.Height();
    GISPanel1->AdoptRaster(std::move(raster));
    GISPanel1->SetExtent(0, 0, 0, width, 0, height);
    GISPanel1->Redraw();
    UpdateInformation();
    MarkRasterChanged(); // a scan is work that a close must not lose
    ShowStatus(QString("Scanned %1 × %2 pixels").arg(width).arg(height));
}

} // namespace app
