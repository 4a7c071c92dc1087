// The constellation search's dialog: the 88 constellation names in the
// catalogue's order, one of which the user shows. Control ids are the
// widgets' object names ("1032" the list, "1" and "2" the buttons).
#pragma once

#include <QDialog>

#include "skydata/catalogue.h"

class QListWidget;

namespace skyvane::app {

// Rows the list always shows, whatever the catalogue holds.
inline constexpr int kConstellationListRows = 88;

class CConstellationDialog : public QDialog {
    Q_OBJECT

public:
    explicit CConstellationDialog(const skydata::SkyCatalogue& catalogue,
                                  QWidget* parent = nullptr);

    // The list row selected when "Show Constellation" was pressed.
    int SelectedIndex() const { return selectedIndex_; }

public slots:
    void accept() override;

private:
    QListWidget* list_ = nullptr;
    int selectedIndex_ = 0;
};

}  // namespace skyvane::app
