#include "places/location_dialog.h"

#include <cstddef>
#include <optional>
#include <utility>

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "places/location_ranges.h"
#include "places/open_page.h"
#include "places/windows1252.h"

namespace skyvane::places {
namespace {

constexpr char kCaption[] = "Location editor";
constexpr int kWidthDialogUnits = 124;
constexpr int kHeightDialogUnits = 242;
constexpr int kNameLength = 30;
constexpr int kTimeZoneLength = 5;
constexpr char kLinksText[] = "Click here to see links and find your\nCity and exact coordinates online !";

QListWidget* TwoEntryList(QWidget* parent, const char* id, const char* first, const char* second)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(id);
    list->addItems({first, second});
    // Two rows and no more.
    const int row = list->sizeHintForRow(0);
    list->setFixedHeight(2 * row + 2 * list->frameWidth() + 2);
    return list;
}

QLineEdit* Edit(QWidget* parent, const char* id, bool rightAligned)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    if (rightAligned) edit->setAlignment(Qt::AlignRight);
    return edit;
}

QString Shown(const std::string& windows1252) { return FromWindows1252(windows1252); }

}  // namespace

CLocationEditorDialog::CLocationEditorDialog(const LocationEditorSlots& working,
                                             std::string linksPageUrl, QWidget* parent)
    : QDialog(parent), slots_(working), linksPageUrl_(std::move(linksPageUrl))
{
    setWindowTitle(kCaption);

    slotList_ = new QListWidget(this);
    slotList_->setObjectName("1000");
    name_ = Edit(this, "1030", false);
    name_->setMaxLength(kNameLength);
    longitude_ = Edit(this, "1004", true);
    eastWest_ = TwoEntryList(this, "1005", "East", "West");
    latitude_ = Edit(this, "1006", true);
    northSouth_ = TwoEntryList(this, "1007", "North", "South");
    timeZone_ = Edit(this, "1008", false);
    timeZone_->setMaxLength(kTimeZoneLength);
    daylightSaving_ = TwoEntryList(this, "1009", "No", "Yes");

    auto* save = new QPushButton("Save and Exit", this);
    save->setObjectName("1");
    save->setDefault(true);
    auto* links = new QPushButton(kLinksText, this);
    links->setObjectName("1037");

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel("Location #", this), row++, 0, 1, 2);
    grid->addWidget(slotList_, row++, 0, 1, 2);
    grid->addWidget(new QLabel("Location Name", this), row++, 0, 1, 2);
    grid->addWidget(name_, row++, 0, 1, 2);
    grid->addWidget(new QLabel("Longitude", this), row++, 0, 1, 2);
    grid->addWidget(longitude_, row, 0);
    grid->addWidget(eastWest_, row++, 1);
    grid->addWidget(new QLabel("Latitude", this), row++, 0, 1, 2);
    grid->addWidget(latitude_, row, 0);
    grid->addWidget(northSouth_, row++, 1);
    grid->addWidget(new QLabel("Timezone", this), row++, 0, 1, 2);
    grid->addWidget(timeZone_, row, 0);
    grid->addWidget(new QLabel("Hours to UT", this), row++, 1);
    grid->addWidget(new QLabel("Daylight Saving", this), row, 0);
    grid->addWidget(daylightSaving_, row++, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(save);
    layout->addWidget(links);

    // Dialog units: a quarter of the average character width across, an
    // eighth of the character height down.
    const QFontMetrics metrics(font());
    resize(kWidthDialogUnits * metrics.averageCharWidth() / 4,
           kHeightDialogUnits * metrics.height() / 8);

    for (int n = 0; n < engine::kLocationsInUse; ++n)
        slotList_->addItem(Shown(slots_[static_cast<std::size_t>(n)].name));
    // Every slot in sight: a row hidden behind a scroll bar takes clicks
    // meant for the one above it.
    slotList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    slotList_->setFixedHeight(engine::kLocationsInUse * slotList_->sizeHintForRow(0) +
                              2 * slotList_->frameWidth() + 2);
    for (QWidget* control : {static_cast<QWidget*>(name_), static_cast<QWidget*>(longitude_),
                             static_cast<QWidget*>(eastWest_), static_cast<QWidget*>(latitude_),
                             static_cast<QWidget*>(northSouth_), static_cast<QWidget*>(timeZone_),
                             static_cast<QWidget*>(daylightSaving_)})
        control->installEventFilter(this);

    connect(slotList_, &QListWidget::currentRowChanged, this, &CLocationEditorDialog::ShowSlot);
    connect(save, &QPushButton::clicked, this, &CLocationEditorDialog::SaveAndExit);
    connect(links, &QPushButton::clicked, this, &CLocationEditorDialog::OpenLinksPage);

    slotList_->setCurrentRow(0);
    ShowSlot(0);
}

bool CLocationEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) StoreControl(watched);
    return QDialog::eventFilter(watched, event);
}

void CLocationEditorDialog::ShowSlot(int slot)
{
    if (slot < 0 || slot >= engine::kLocationsInUse) return;
    selected_ = slot;
    const LocationEditorSlot& s = slots_[static_cast<std::size_t>(slot)];
    name_->setText(Shown(s.name));
    longitude_->setText(Shown(s.longitudeText));
    latitude_->setText(Shown(s.latitudeText));
    timeZone_->setText(Shown(s.timeZoneText));
    eastWest_->setCurrentRow(s.longitudeSide);
    northSouth_->setCurrentRow(s.latitudeSide);
    daylightSaving_->setCurrentRow(s.dst);
}

void CLocationEditorDialog::StoreControl(QObject* control)
{
    LocationEditorSlot& s = slots_[static_cast<std::size_t>(selected_)];
    if (control == name_) {
        s.name = ToWindows1252(name_->text());
        RefreshSlotList();
    } else if (control == longitude_) {
        s.longitudeText = ToWindows1252(longitude_->text());
    } else if (control == latitude_) {
        s.latitudeText = ToWindows1252(latitude_->text());
    } else if (control == timeZone_) {
        s.timeZoneText = ToWindows1252(timeZone_->text());
    } else if (control == eastWest_) {
        s.longitudeSide = eastWest_->currentRow();
    } else if (control == northSouth_) {
        s.latitudeSide = northSouth_->currentRow();
    } else if (control == daylightSaving_) {
        s.dst = daylightSaving_->currentRow();
    }
}

void CLocationEditorDialog::RefreshSlotList()
{
    // Renaming in place keeps one row per slot and the selection where it is.
    for (int n = 0; n < engine::kLocationsInUse; ++n)
        slotList_->item(n)->setText(Shown(slots_[static_cast<std::size_t>(n)].name));
}

void CLocationEditorDialog::SaveAndExit()
{
    // The control being edited has not lost its focus when the button is
    // worked from the keyboard (Return, or a click on a button that takes
    // no focus); its value counts as if it had.
    if (QWidget* editing = focusWidget()) StoreControl(editing);
    // A place off the globe would turn every position into "nan": the
    // slot is shown with the field to mend, and nothing is written.
    if (const std::optional<LocationFieldError> error = FirstOutOfRangeField(slots_)) {
        slotList_->setCurrentRow(error->slot);
        QLineEdit* field = error->field == LocationField::kLongitude  ? longitude_
                           : error->field == LocationField::kLatitude ? latitude_
                                                                      : timeZone_;
        QMessageBox message(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                            QString::fromUtf8(OutOfRangeMessage(error->field)), QMessageBox::Ok,
                            this);
        message.exec();
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        return;
    }
    SaveEditedLocations(slots_);
    accept();
}

void CLocationEditorDialog::OpenLinksPage() { OpenPageOrSay(linksPageUrl_, this); }

}  // namespace skyvane::places
