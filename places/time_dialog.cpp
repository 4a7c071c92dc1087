#include "places/time_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace skyvane::places {
namespace {

constexpr char kCaption[] = "Time";
constexpr char kGroupTitle[] = "Change Time";
constexpr char kDaylightSavingText[] = "Daylight saving ( Change default in \"Locations\" )";
constexpr char kPickerEntryText[] = "1970-2030";
constexpr char kFreeEntryText[] = "4713BC - 9999AD ( Enter minus year for BC:  - 3167 is 3167 BC )";
constexpr char kSetCurrentTimeText[] = "Set Current Time";

constexpr int kOkId = 1;
constexpr int kDatePickerId = 1014;
constexpr int kMonthListId = 1018;
constexpr int kYearEditId = 1019;
constexpr int kTimePickerId = 1020;
constexpr int kHourEditId = 1021;
constexpr int kMinuteEditId = 1022;
constexpr int kSecondEditId = 1023;
constexpr int kDayListId = 1024;
constexpr int kSetCurrentTimeId = 1026;
constexpr int kPickerEntryId = 1027;
constexpr int kFreeEntryId = 1028;
constexpr int kDaylightSavingId = 1029;

template <typename Widget>
Widget* Named(Widget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

// The locale's short date, always with four-digit years: a two-digit year
// section would confine the picker to one century.
QString PickerDateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// The locale's time, always with seconds, which the instant carries.
QString PickerTimeFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.indexOf(QLatin1String("mm"));
        if (minutes >= 0) format.insert(minutes + 2, QLatin1String(":ss"));
    }
    return format;
}

QTime WholeSeconds(const QTime& time)
{
    return QTime(time.hour(), time.minute(), time.second());
}

}  // namespace

CTimeDialog::CTimeDialog(QWidget* parent, Clock clock) : QDialog(parent), clock_(std::move(clock))
{
    setWindowTitle(QString::fromUtf8(kCaption));

    // Until the dialog is initialised the typed fields hold the computer's
    // time.
    const QDateTime now = Now();
    hourText_ = QString::number(now.time().hour());
    secondText_ = QString::number(now.time().second());
    yearText_ = QString::number(now.date().year());
    minuteText_ = QString::number(now.time().minute());
    dateValue_ = now.date();
    timeValue_ = WholeSeconds(now.time());

    auto* group = new QGroupBox(QString::fromUtf8(kGroupTitle), this);
    auto* grid = new QGridLayout(group);

    daylightSaving_ = Named(new QCheckBox(QString::fromUtf8(kDaylightSavingText), group),
                            kDaylightSavingId);
    grid->addWidget(daylightSaving_, 0, 0, 1, 6);

    pickerEntry_ = Named(new QRadioButton(QString::fromUtf8(kPickerEntryText), group), kPickerEntryId);
    const QLocale locale = QLocale::system();
    datePicker_ = Named(new QDateEdit(group), kDatePickerId);
    datePicker_->setDisplayFormat(PickerDateFormat(locale));
    timePicker_ = Named(new QTimeEdit(group), kTimePickerId);
    timePicker_->setDisplayFormat(PickerTimeFormat(locale));
    setCurrentTime_ = Named(new QPushButton(QString::fromUtf8(kSetCurrentTimeText), group),
                            kSetCurrentTimeId);
    setCurrentTime_->setAutoDefault(false);
    grid->addWidget(pickerEntry_, 1, 0, 1, 2);
    grid->addWidget(datePicker_, 1, 2);
    grid->addWidget(timePicker_, 1, 3);
    grid->addWidget(setCurrentTime_, 1, 4, 1, 2);

    freeEntry_ = Named(new QRadioButton(QString::fromUtf8(kFreeEntryText), group), kFreeEntryId);
    grid->addWidget(freeEntry_, 2, 0, 1, 6);

    auto* entryModes = new QButtonGroup(this);
    entryModes->addButton(pickerEntry_);
    entryModes->addButton(freeEntry_);

    dayList_ = Named(new QComboBox(group), kDayListId);
    for (int day = 1; day <= kDaysInList; ++day) dayList_->addItem(QString::number(day));
    monthList_ = Named(new QComboBox(group), kMonthListId);
    for (const char* month : kMonthNames) monthList_->addItem(QString::fromUtf8(month));
    yearEdit_ = Named(new QLineEdit(group), kYearEditId);
    yearEdit_->setMaxLength(kYearTextLength);
    hourEdit_ = Named(new QLineEdit(group), kHourEditId);
    hourEdit_->setMaxLength(kTimeFieldTextLength);
    minuteEdit_ = Named(new QLineEdit(group), kMinuteEditId);
    minuteEdit_->setMaxLength(kTimeFieldTextLength);
    secondEdit_ = Named(new QLineEdit(group), kSecondEditId);
    secondEdit_->setMaxLength(kTimeFieldTextLength);

    const std::pair<const char*, QWidget*> freeFields[] = {
        {"Day", dayList_},   {"Month", monthList_}, {"Year", yearEdit_},
        {"Hour", hourEdit_}, {"Min", minuteEdit_},  {"Sec", secondEdit_}};
    int column = 0;
    for (const auto& [heading, field] : freeFields) {
        grid->addWidget(new QLabel(QString::fromUtf8(heading), group), 3, column);
        grid->addWidget(field, 4, column);
        ++column;
    }

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QString::number(kOkId));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons, 0, Qt::AlignTop);

    connect(pickerEntry_, &QRadioButton::clicked, this, &CTimeDialog::OnEntryModeClicked);
    connect(freeEntry_, &QRadioButton::clicked, this, &CTimeDialog::OnEntryModeClicked);
    connect(setCurrentTime_, &QPushButton::clicked, this, &CTimeDialog::OnSetCurrentTime);
}

QDateTime CTimeDialog::Now() const
{
    // The place's civil time, held as a zone-less value (Qt::UTC) so that
    // no rule of the computer's own zone can move or refuse an hour.
    const CivilTime now = CivilTimeAt(clock_ ? clock_() : SystemUtcNow(), timeZone_, entry_.dst);
    return QDateTime(QDate(now.year, now.month, now.day), QTime(now.hour, now.minute, now.second),
                     Qt::UTC);
}

void CTimeDialog::showEvent(QShowEvent* event)
{
    if (!initialised_) {
        initialised_ = true;
        Initialise();
    }
    QDialog::showEvent(event);
}

void CTimeDialog::Initialise()
{
    const QDateTime now = Now();
    monthList_->setCurrentIndex(now.date().month() - 1);
    dayList_->setCurrentIndex(now.date().day() - 1);
    // A month or day outside the lists keeps today's so that the typed
    // fields never lose their selection.
    if (entry_.month >= 1 && entry_.month <= monthList_->count())
        monthList_->setCurrentIndex(entry_.month - 1);
    if (entry_.day >= 1 && entry_.day <= dayList_->count()) dayList_->setCurrentIndex(entry_.day - 1);

    yearText_ = QString::number(entry_.year);
    hourText_ = QString::number(entry_.hour);
    minuteText_ = QString::number(entry_.minute);
    secondText_ = QString::number(entry_.second);

    dateValue_ = now.date();
    timeValue_ = WholeSeconds(now.time());

    if (InitialEntryMode(entry_.year) == EntryMode::FreeEntry) {
        entryMode_ = static_cast<int>(EntryMode::FreeEntry);
    } else {
        // Local date and time as entered; the pickers carry no time zone,
        // so no daylight-saving rule can move the hour.
        const QDate date(entry_.year, entry_.month, entry_.day);
        const QTime time(entry_.hour, entry_.minute, entry_.second);
        if (date.isValid()) dateValue_ = date;
        if (time.isValid()) timeValue_ = time;
        entryMode_ = static_cast<int>(EntryMode::Picker);
    }
    ShowValues();
    EnableForEntryMode();
}

void CTimeDialog::ShowValues()
{
    pickerEntry_->setChecked(entryMode_ == static_cast<int>(EntryMode::Picker));
    freeEntry_->setChecked(entryMode_ == static_cast<int>(EntryMode::FreeEntry));
    datePicker_->setDate(dateValue_);
    timePicker_->setTime(timeValue_);
    hourEdit_->setText(hourText_);
    secondEdit_->setText(secondText_);
    yearEdit_->setText(yearText_);
    minuteEdit_->setText(minuteText_);
    daylightSaving_->setChecked(entry_.dst != 0);
}

void CTimeDialog::ReadControls()
{
    if (pickerEntry_->isChecked())
        entryMode_ = static_cast<int>(EntryMode::Picker);
    else if (freeEntry_->isChecked())
        entryMode_ = static_cast<int>(EntryMode::FreeEntry);
    else
        entryMode_ = -1;
    dateValue_ = datePicker_->date();
    timeValue_ = timePicker_->time();
    hourText_ = hourEdit_->text();
    secondText_ = secondEdit_->text();
    yearText_ = yearEdit_->text();
    minuteText_ = minuteEdit_->text();
    entry_.dst = daylightSaving_->isChecked() ? 1 : 0;
}

void CTimeDialog::EnableForEntryMode()
{
    const bool pickers = entryMode_ != static_cast<int>(EntryMode::FreeEntry);
    setCurrentTime_->setEnabled(pickers);
    datePicker_->setEnabled(pickers);
    timePicker_->setEnabled(pickers);
    yearEdit_->setEnabled(!pickers);
    monthList_->setEnabled(!pickers);
    dayList_->setEnabled(!pickers);
    hourEdit_->setEnabled(!pickers);
    minuteEdit_->setEnabled(!pickers);
    secondEdit_->setEnabled(!pickers);
}

void CTimeDialog::OnEntryModeClicked()
{
    ReadControls();
    EnableForEntryMode();
}

void CTimeDialog::OnSetCurrentTime()
{
    ReadControls();
    const QDateTime now = Now();
    dateValue_ = now.date();
    timeValue_ = WholeSeconds(now.time());
    ShowValues();
}

void CTimeDialog::accept()
{
    ReadControls();
    TimeEntry entered;
    if (entryMode_ == static_cast<int>(EntryMode::FreeEntry)) {
        FreeEntryFields fields;
        fields.yearText = yearText_.toStdString();
        fields.monthPosition = monthList_->currentIndex();
        fields.dayPosition = dayList_->currentIndex();
        fields.hourText = hourText_.toStdString();
        fields.minuteText = minuteText_.toStdString();
        fields.secondText = secondText_.toStdString();
        entered = FreeEntryInstant(fields, entry_.dst);
    } else {
        entered = {dateValue_.year(), dateValue_.month(), dateValue_.day(), timeValue_.hour(),
                   timeValue_.minute(), timeValue_.second(), entry_.dst};
    }
    if (!YearIsEnterable(entered.year)) {
        // The instant stays as handed in, so closing the dialog after the
        // message takes nothing of the refused entry.
        QMessageBox message(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                            QString::fromUtf8(kYearRangeMessage), QMessageBox::Ok, this);
        message.exec();
        return;
    }
    entry_ = entered;
    QDialog::accept();
}

}  // namespace skyvane::places
