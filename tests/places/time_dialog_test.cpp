// The time dialog: the way of entry it opens with, what each set of
// controls shows and hands back, the enabling rule, "Set Current Time",
// and the refused years with the dialog staying open.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "places/time_dialog.h"
#include "../scoped_time_zone.h"

namespace skyvane::places {
namespace {

// The computer's clock as the dialog sees it in these tests: a UTC instant.
const auto kNowUtc = std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} +
                     std::chrono::hours{9} + std::chrono::minutes{30} + std::chrono::seconds{15};
// What the pickers show of it at Greenwich with the daylight-saving hour
// that the entries checking it carry.
const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 30, 15));


constexpr int kOk = 1;
constexpr int kDatePicker = 1014;
constexpr int kMonthList = 1018;
constexpr int kYearEdit = 1019;
constexpr int kTimePicker = 1020;
constexpr int kHourEdit = 1021;
constexpr int kMinuteEdit = 1022;
constexpr int kSecondEdit = 1023;
constexpr int kDayList = 1024;
constexpr int kSetCurrentTime = 1026;
constexpr int kPickerEntry = 1027;
constexpr int kFreeEntry = 1028;
constexpr int kDaylightSaving = 1029;

class TimeDialogTest : public testing::Test {
protected:
    void Open(const TimeEntry& entry)
    {
        dialog_ = std::make_unique<CTimeDialog>(nullptr, [] { return kNowUtc; });
        dialog_->SetEntry(entry);
        dialog_->SetTimeZone(timeZone_);
        dialog_->show();
    }

    template <typename Widget>
    Widget* Control(int id) const
    {
        auto* widget = dialog_->findChild<Widget*>(QString::number(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }
    QString Text(int id) const { return Control<QLineEdit>(id)->text(); }
    bool Enabled(int id) const { return Control<QWidget>(id)->isEnabled(); }
    void Click(int id) const { Control<QAbstractButton>(id)->click(); }

    // Clicks OK and returns the text of the message box it brought up, after
    // closing the box with its OK button; empty when none appeared.
    QString ClickOkExpectingMessage(int* buttonCount) const
    {
        QString text;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            poll.stop();
            text = box->text();
            *buttonCount = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        poll.start();
        Click(kOk);
        return text;
    }

    void TypeFreeEntry(const char* year, int monthPosition, int dayPosition, const char* hour,
                       const char* minute, const char* second) const
    {
        Control<QLineEdit>(kYearEdit)->setText(year);
        Control<QComboBox>(kMonthList)->setCurrentIndex(monthPosition);
        Control<QComboBox>(kDayList)->setCurrentIndex(dayPosition);
        Control<QLineEdit>(kHourEdit)->setText(hour);
        Control<QLineEdit>(kMinuteEdit)->setText(minute);
        Control<QLineEdit>(kSecondEdit)->setText(second);
    }

    std::unique_ptr<CTimeDialog> dialog_;
    double timeZone_ = 0;
};

TEST_F(TimeDialogTest, CarriesItsCaptionTextsListsAndFieldLengths)
{
    Open({2006, 6, 21, 12, 0, 0, 0});
    EXPECT_EQ(dialog_->windowTitle(), "Time");
    EXPECT_NE(dialog_->findChild<QGroupBox*>(), nullptr);
    EXPECT_EQ(dialog_->findChild<QGroupBox*>()->title(), "Change Time");
    EXPECT_EQ(Control<QCheckBox>(kDaylightSaving)->text(),
              "Daylight saving ( Change default in \"Locations\" )");
    EXPECT_EQ(Control<QRadioButton>(kPickerEntry)->text(), "1970-2030");
    EXPECT_EQ(Control<QRadioButton>(kFreeEntry)->text(),
              "4713BC - 9999AD ( Enter minus year for BC:  - 3167 is 3167 BC )");
    EXPECT_EQ(Control<QPushButton>(kSetCurrentTime)->text(), "Set Current Time");
    EXPECT_EQ(Control<QPushButton>(kOk)->text().remove('&'), "OK");

    QStringList headings;
    for (const QLabel* label : dialog_->findChildren<QLabel*>()) headings << label->text();
    for (const char* heading : {"Day", "Month", "Year", "Hour", "Min", "Sec"})
        EXPECT_TRUE(headings.contains(heading)) << heading;

    const QStringList months = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
    auto* monthList = Control<QComboBox>(kMonthList);
    ASSERT_EQ(monthList->count(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(monthList->itemText(i), months[i]);
    auto* dayList = Control<QComboBox>(kDayList);
    ASSERT_EQ(dayList->count(), 31);
    for (int i = 0; i < 31; ++i) EXPECT_EQ(dayList->itemText(i), QString::number(i + 1));
    EXPECT_FALSE(monthList->isEditable());
    EXPECT_FALSE(dayList->isEditable());

    EXPECT_EQ(Control<QLineEdit>(kYearEdit)->maxLength(), 5);
    EXPECT_EQ(Control<QLineEdit>(kHourEdit)->maxLength(), 2);
    EXPECT_EQ(Control<QLineEdit>(kMinuteEdit)->maxLength(), 2);
    EXPECT_EQ(Control<QLineEdit>(kSecondEdit)->maxLength(), 2);
}

TEST_F(TimeDialogTest, YearsOutside1971To2029OpenInFreeEntry)
{
    for (int year : {1970, 2030, -3167, 9999}) {
        Open({year, 3, 15, 4, 5, 6, 1});
        EXPECT_TRUE(Control<QRadioButton>(kFreeEntry)->isChecked()) << year;
        EXPECT_FALSE(Control<QRadioButton>(kPickerEntry)->isChecked()) << year;
        for (int id : {kYearEdit, kMonthList, kDayList, kHourEdit, kMinuteEdit, kSecondEdit})
            EXPECT_TRUE(Enabled(id)) << year << " " << id;
        for (int id : {kSetCurrentTime, kDatePicker, kTimePicker})
            EXPECT_FALSE(Enabled(id)) << year << " " << id;

        EXPECT_EQ(Text(kYearEdit), QString::number(year));
        EXPECT_EQ(Control<QComboBox>(kMonthList)->currentText(), "March");
        EXPECT_EQ(Control<QComboBox>(kDayList)->currentText(), "15");
        EXPECT_EQ(Text(kHourEdit), "4");
        EXPECT_EQ(Text(kMinuteEdit), "5");
        EXPECT_EQ(Text(kSecondEdit), "6");
        EXPECT_TRUE(Control<QCheckBox>(kDaylightSaving)->isChecked());
        // The pickers show the computer's clock.
        EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), kNow.date());
        EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), kNow.time());
    }
}

TEST_F(TimeDialogTest, Years1971To2029OpenInThePickersWithTheFreeFieldsFilledToo)
{
    for (int year : {1971, 2029}) {
        Open({year, 7, 4, 23, 59, 58, 0});
        EXPECT_TRUE(Control<QRadioButton>(kPickerEntry)->isChecked()) << year;
        EXPECT_FALSE(Control<QRadioButton>(kFreeEntry)->isChecked()) << year;
        for (int id : {kSetCurrentTime, kDatePicker, kTimePicker}) EXPECT_TRUE(Enabled(id)) << id;
        for (int id : {kYearEdit, kMonthList, kDayList, kHourEdit, kMinuteEdit, kSecondEdit})
            EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), QDate(year, 7, 4));
        EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), QTime(23, 59, 58));
        EXPECT_EQ(Text(kYearEdit), QString::number(year));
        EXPECT_EQ(Control<QComboBox>(kMonthList)->currentIndex(), 6);
        EXPECT_EQ(Control<QComboBox>(kDayList)->currentIndex(), 3);
        EXPECT_EQ(Text(kHourEdit), "23");
        EXPECT_FALSE(Control<QCheckBox>(kDaylightSaving)->isChecked());
    }
}

TEST_F(TimeDialogTest, OkInFreeEntryHandsBackTheTypedInstant)
{
    Open({1800, 1, 1, 0, 0, 0, 0});
    TypeFreeEntry("-3167", 9, 22, "21", "x", "07");
    Click(kDaylightSaving);
    Click(kOk);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->Entry(), (TimeEntry{-3167, 10, 23, 21, 0, 7, 1}));
}

TEST_F(TimeDialogTest, OkInPickerEntryHandsBackThePickedInstant)
{
    Open({2006, 6, 21, 12, 0, 0, 1});
    Control<QDateEdit>(kDatePicker)->setDate(QDate(2010, 5, 6));
    Control<QTimeEdit>(kTimePicker)->setTime(QTime(7, 8, 9));
    // The free fields are ignored in picker entry.
    Control<QLineEdit>(kYearEdit)->setText("-4714");
    Click(kOk);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->Entry(), (TimeEntry{2010, 5, 6, 7, 8, 9, 1}));
}

TEST_F(TimeDialogTest, YearsOutsideTheRangeAreRefusedWithTheDialogOpen)
{
    const TimeEntry handedIn{1800, 2, 3, 4, 5, 6, 0};
    Open(handedIn);
    struct Case {
        const char* yearText;
        bool accepted;
    };
    for (const Case& c : {Case{"-4714", false}, Case{"10000", false}, Case{"-4713", true}}) {
        TypeFreeEntry(c.yearText, 0, 0, "1", "2", "3");
        int buttons = 0;
        const QString message = ClickOkExpectingMessage(&buttons);
        if (c.accepted) {
            EXPECT_TRUE(message.isEmpty()) << c.yearText;
            EXPECT_EQ(dialog_->result(), QDialog::Accepted);
            EXPECT_EQ(dialog_->Entry().year, -4713);
        } else {
            EXPECT_EQ(message, "Year must be between 4713 BC and 9999 AD") << c.yearText;
            EXPECT_EQ(buttons, 1);
            EXPECT_TRUE(dialog_->isVisible()) << c.yearText;
            EXPECT_NE(dialog_->result(), QDialog::Accepted);
            EXPECT_EQ(dialog_->Entry(), handedIn) << c.yearText;
        }
    }

    Open(handedIn);
    TypeFreeEntry("9999", 11, 30, "23", "59", "59");
    int buttons = 0;
    EXPECT_TRUE(ClickOkExpectingMessage(&buttons).isEmpty());
    EXPECT_EQ(dialog_->Entry(), (TimeEntry{9999, 12, 31, 23, 59, 59, 0}));
}

TEST_F(TimeDialogTest, ClosingAfterARefusedYearHandsBackTheInstantHandedIn)
{
    const TimeEntry handedIn{1800, 2, 3, 4, 5, 6, 0};
    Open(handedIn);
    TypeFreeEntry("10000", 5, 5, "1", "1", "1");
    int buttons = 0;
    EXPECT_FALSE(ClickOkExpectingMessage(&buttons).isEmpty());
    dialog_->reject();
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(dialog_->Entry(), handedIn);
}

TEST_F(TimeDialogTest, SwitchingTheWayOfEntryKeepsBothSetsOfValues)
{
    Open({2006, 6, 21, 12, 30, 45, 0});
    Control<QDateEdit>(kDatePicker)->setDate(QDate(2001, 2, 3));
    Click(kFreeEntry);
    EXPECT_TRUE(Enabled(kYearEdit));
    EXPECT_FALSE(Enabled(kDatePicker));
    EXPECT_FALSE(Enabled(kSetCurrentTime));
    TypeFreeEntry("-500", 0, 1, "3", "4", "5");

    Click(kPickerEntry);
    EXPECT_TRUE(Enabled(kDatePicker));
    EXPECT_FALSE(Enabled(kYearEdit));
    EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), QDate(2001, 2, 3));
    EXPECT_EQ(Text(kYearEdit), "-500");

    Click(kFreeEntry);
    EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), QDate(2001, 2, 3));
    EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), QTime(12, 30, 45));
    Click(kOk);
    EXPECT_EQ(dialog_->Entry(), (TimeEntry{-500, 1, 2, 3, 4, 5, 0}));
}

TEST_F(TimeDialogTest, SetCurrentTimeChangesOnlyThePickers)
{
    Open({2006, 6, 21, 12, 30, 45, 1});
    Control<QLineEdit>(kYearEdit)->setText("1234");
    Click(kSetCurrentTime);
    EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), kNow.date());
    EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), kNow.time());
    EXPECT_EQ(Text(kYearEdit), "1234");
    EXPECT_EQ(Text(kHourEdit), "12");
    EXPECT_EQ(Control<QComboBox>(kMonthList)->currentIndex(), 5);
    EXPECT_TRUE(Control<QCheckBox>(kDaylightSaving)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(kPickerEntry)->isChecked());

    Click(kOk);
    EXPECT_EQ(dialog_->Entry(), (TimeEntry{2026, 12, 7, 10, 30, 15, 1}));
}

TEST_F(TimeDialogTest, CurrentTimeIsTheClocksInstantInThePlacesCivilTime)
{
    // The computer's own zone plays no part: set it to one no place here has.
    ScopedTimeZone computer("XYZ-5:45");
    struct Case {
        double zone;
        int dst;
        QDateTime shown;
    };
    for (const Case& c : {Case{-8, 0, QDateTime(QDate(2026, 12, 7), QTime(1, 30, 15))},
                          Case{-8, 1, QDateTime(QDate(2026, 12, 7), QTime(2, 30, 15))},
                          Case{10, 0, QDateTime(QDate(2026, 12, 7), QTime(19, 30, 15))},
                          Case{-10, 0, QDateTime(QDate(2026, 12, 6), QTime(23, 30, 15))}}) {
        timeZone_ = c.zone;
        Open({2006, 6, 21, 12, 30, 45, c.dst});
        // Opened on an instant of the pickers' years, they show it; the
        // button shows now.
        EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), QTime(12, 30, 45));
        Click(kSetCurrentTime);
        EXPECT_EQ(Control<QDateEdit>(kDatePicker)->date(), c.shown.date()) << c.zone;
        EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), c.shown.time()) << c.zone;
        // Opened on a year typed by hand, the pickers start at now too.
        Open({1800, 1, 1, 0, 0, 0, c.dst});
        EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), c.shown.time()) << c.zone;
    }

    // Unticking the daylight-saving box before the button takes its hour off.
    timeZone_ = 1;
    Open({2006, 6, 21, 12, 30, 45, 1});
    Click(kDaylightSaving);
    Click(kSetCurrentTime);
    EXPECT_EQ(Control<QTimeEdit>(kTimePicker)->time(), QTime(10, 30, 15));
}

TEST_F(TimeDialogTest, ClosingWithoutOkHandsBackTheInstantHandedIn)
{
    const TimeEntry handedIn{2006, 6, 21, 12, 30, 45, 0};
    Open(handedIn);
    Control<QDateEdit>(kDatePicker)->setDate(QDate(2001, 2, 3));
    Click(kDaylightSaving);
    dialog_->reject();
    EXPECT_EQ(dialog_->Entry(), handedIn);

    // A click on a way of entry has already read the daylight-saving box.
    Open(handedIn);
    Click(kDaylightSaving);
    Click(kFreeEntry);
    TypeFreeEntry("1", 0, 0, "1", "1", "1");
    dialog_->reject();
    TimeEntry expected = handedIn;
    expected.dst = 1;
    EXPECT_EQ(dialog_->Entry(), expected);
}

}  // namespace
}  // namespace skyvane::places
