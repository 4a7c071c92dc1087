// The dialog that sets the shown instant and its daylight-saving flag:
// the system's date and time pickers for years around today, or typed day,
// month, year and time for any year the program computes. Every control
// carries its dialog id as object name ("1014" …).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QTime>

#include <functional>

#include "places/now.h"
#include "places/time_entry.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTimeEdit;

namespace skyvane::places {

class CTimeDialog : public QDialog {
    Q_OBJECT

public:
    // Where the UTC instant "now" comes from; the computer's clock unless a
    // test gives another. The dialog shows it in the place's civil time.
    using Clock = UtcClock;

    explicit CTimeDialog(QWidget* parent = nullptr, Clock clock = {});

    // The instant to show; set it before the dialog is shown.
    void SetEntry(const TimeEntry& entry) { entry_ = entry; }
    // The place's time zone, hours east of Greenwich: "now" is shown in it,
    // with the daylight-saving hour of the box.
    void SetTimeZone(double timeZone) { timeZone_ = timeZone; }

    // The instant after OK. After any other close it is the one handed in,
    // except that a daylight-saving box already read by a click on a radio
    // button keeps its new state.
    const TimeEntry& Entry() const { return entry_; }

public slots:
    // Takes the instant from the controls of the chosen way of entry. A year
    // outside 4713 BC to 9999 AD is refused with a message and the dialog
    // stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Initialise();
    void ShowValues();
    void ReadControls();
    void EnableForEntryMode();
    void OnEntryModeClicked();
    void OnSetCurrentTime();
    QDateTime Now() const;

    Clock clock_;
    double timeZone_ = 0;
    bool initialised_ = false;

    // The values moved to and from the controls.
    int entryMode_ = -1;  // EntryMode, -1 until initialised
    QDate dateValue_;
    QTime timeValue_;
    QString hourText_;
    QString secondText_;
    QString yearText_;
    QString minuteText_;
    TimeEntry entry_;  // entry_.dst is the daylight-saving box's value

    QCheckBox* daylightSaving_ = nullptr;
    QRadioButton* pickerEntry_ = nullptr;
    QRadioButton* freeEntry_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QTimeEdit* timePicker_ = nullptr;
    QPushButton* setCurrentTime_ = nullptr;
    QComboBox* dayList_ = nullptr;
    QComboBox* monthList_ = nullptr;
    QLineEdit* yearEdit_ = nullptr;
    QLineEdit* hourEdit_ = nullptr;
    QLineEdit* minuteEdit_ = nullptr;
    QLineEdit* secondEdit_ = nullptr;
};

}  // namespace skyvane::places
