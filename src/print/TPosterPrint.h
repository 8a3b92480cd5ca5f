// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Prints a picture file (a metafile) as a poster over HorzPages × VertPages pages; see
// TPosterPrint.cpp.

#include <QObject>
#include <QString>
#include <functional>

class QPrinter;

namespace print {

class TPosterPrint : public QObject {
    Q_OBJECT
public:
    TPosterPrint(QObject* owner, QPrinter& printer);

    int HorzPages() const { return horzPages_; }
    int VertPages() const { return vertPages_; }
    int HorzMarge() const { return horzMarge_; }
    int VertMarge() const { return vertMarge_; }
    // Pages 1 to 9 and margins above 0 are taken; other values leave the old one.
    void SetHorzPages(int pages);
    void SetVertPages(int pages);
    void SetHorzMarge(int dots);
    void SetVertMarge(int dots);

    QString Image;          // the picture file
    bool LabelPages = true; // "H1  V1" above each page's frame
    // After each page, with its column and row (from 1).
    std::function<void(TPosterPrint* sender, int pageX, int pageY)> OnPagePrinted;

    // Prints Image; nothing when there is no such file. Throws platform::FileError for a
    // picture that cannot be read, and std::runtime_error when the printer cannot start.
    void PrintPoster();

private:
    QPrinter& printer_;
    int horzPages_ = 2, vertPages_ = 2, horzMarge_ = 100, vertMarge_ = 100;
};

} // namespace print
