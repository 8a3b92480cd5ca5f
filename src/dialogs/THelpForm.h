// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The help window: ten pages of help text, chosen with a column of buttons or with the
// tabs under the pages. Shown beside the main window, not modal.

#include <QDialog>
#include <utility>
#include <vector>

class QTabWidget;
class QToolButton;

namespace dialogs {

class THelpForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // Makes the page of that objectName ("TabSheet1".."TabSheet12") the active one.
    void ShowPage(const QString& pageName);

private:
    void MarkPageButton();

    QTabWidget* PageControl1;
    std::vector<std::pair<QString, QToolButton*>> pageButtons_; // page name, its button
};

} // namespace dialogs
