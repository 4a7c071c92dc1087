// The location editor: five named places with their longitude, latitude,
// time zone and daylight-saving flag. Control ids are the widgets' object
// names ("1000" the slot list, "1030" the name, ...).
//
// The dialog only moves values between its controls and its working slots:
// a control's value is stored into the selected slot when the control loses
// focus, "Save and Exit" writes the slots through SaveEditedLocations, and
// closing the window any other way writes nothing.
#pragma once

#include <string>

#include <QDialog>

#include "places/locations.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace skyvane::places {

class CLocationEditorDialog : public QDialog {
    Q_OBJECT

public:
    // `linksPageUrl` is opened by the links button (see LocationsPageUrl).
    CLocationEditorDialog(const LocationEditorSlots& working, std::string linksPageUrl,
                          QWidget* parent = nullptr);

    const LocationEditorSlots& Slots() const { return slots_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowSlot(int slot);
    void StoreControl(QObject* control);
    void RefreshSlotList();
    void SaveAndExit();
    void OpenLinksPage();

    LocationEditorSlots slots_;
    std::string linksPageUrl_;
    int selected_ = 0;

    QListWidget* slotList_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QListWidget* eastWest_ = nullptr;
    QLineEdit* latitude_ = nullptr;
    QListWidget* northSouth_ = nullptr;
    QLineEdit* timeZone_ = nullptr;
    QListWidget* daylightSaving_ = nullptr;
};

}  // namespace skyvane::places
