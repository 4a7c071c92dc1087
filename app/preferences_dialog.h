// The dialog that edits the display and navigation options. Every control
// carries its dialog id as object name ("1038" …) so tests and the window
// can find it.
#pragma once

#include <QDialog>

#include <vector>

#include "app/preferences.h"

class QAbstractButton;
class QBoxLayout;
class QCheckBox;

namespace skyvane::app {

class CPreferencesDialog : public QDialog {
    Q_OBJECT

public:
    // Reads the stored options and shows them. A stored value outside a
    // radio group's range leaves that group with no button checked.
    explicit CPreferencesDialog(QWidget* parent = nullptr);

    // The values last moved between the controls and the dialog: the stored
    // ones after construction, the confirmed ones after OK.
    const PreferenceValues& Values() const { return values_; }

public slots:
    // Writes the shown options and closes. Closing any other way writes
    // nothing.
    void accept() override;

private:
    struct Choice {
        int id;
        const char* text;
    };

    // A radio group's value is the position of its checked button, -1 when
    // none is checked.
    struct RadioGroup {
        std::vector<QAbstractButton*> buttons;
        int PreferenceValues::*value = nullptr;
    };

    void AddRadioGroup(QBoxLayout* layout, int PreferenceValues::*value,
                       std::initializer_list<Choice> choices);
    QCheckBox* AddCheckBox(QBoxLayout* layout, const Choice& choice);

    void ShowValues();
    void ReadControls();

    // Radio groups start with nothing checked and check boxes unchecked
    // until the stored values are read.
    PreferenceValues values_{-1, -1, -1, 0, -1, 0, -1, -1};
    std::vector<RadioGroup> radioGroups_;
    QCheckBox* showConstellations_ = nullptr;
    QCheckBox* noStars_ = nullptr;
    QCheckBox* showIntro_ = nullptr;
};

}  // namespace skyvane::app
