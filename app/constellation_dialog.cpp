#include "app/constellation_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "places/windows1252.h"

namespace skyvane::app {
namespace {

// A name row is "Abr Full name": the name starts after the abbreviation
// and its separator.
constexpr std::size_t kFullNameOffset = 4;

}  // namespace

CConstellationDialog::CConstellationDialog(const skydata::SkyCatalogue& catalogue,
                                           QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Constellations");
    list_ = new QListWidget(this);
    list_->setObjectName("1032");
    // Inserted by position, so the list keeps the catalogue's order.
    for (int i = 0; i < kConstellationListRows; ++i) {
        const std::string& row = catalogue.constellationNames[static_cast<std::size_t>(i)];
        const std::string name = row.size() > kFullNameOffset ? row.substr(kFullNameOffset) : "";
        list_->insertItem(i, places::FromWindows1252(name));
    }
    list_->setCurrentRow(0);
    connect(list_, &QListWidget::itemDoubleClicked, this, &CConstellationDialog::accept);

    auto* show = new QPushButton("Show Constellation", this);
    show->setObjectName("1");
    show->setDefault(true);
    connect(show, &QPushButton::clicked, this, &CConstellationDialog::accept);
    // There but never shown: Escape cancels.
    auto* cancel = new QPushButton("Abbrechen", this);
    cancel->setObjectName("2");
    cancel->setVisible(false);
    connect(cancel, &QPushButton::clicked, this, &CConstellationDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(show);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(260, 360);
}

void CConstellationDialog::accept()
{
    selectedIndex_ = list_->currentRow();
    QDialog::accept();
}

}  // namespace skyvane::app
