#include "app/preferences_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skyvane::app {
namespace {

constexpr char kCaption[] = "Preferences";
constexpr char kTimeControlHeading[] = "Up/Down Arrows:";
constexpr int kOkId = 1;

QString IdName(int id)
{
    return QString::number(id);
}

void AddSeparator(QBoxLayout* layout, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
}

// Shows `value` as the checked button of `buttons`. The controls are shown
// once, straight after construction with nothing checked, so a value
// without a button leaves the whole group unchecked.
void CheckButtonAt(const std::vector<QAbstractButton*>& buttons, int value)
{
    if (value >= 0 && value < static_cast<int>(buttons.size())) buttons[value]->setChecked(true);
}

int CheckedPosition(const std::vector<QAbstractButton*>& buttons)
{
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

}  // namespace

CPreferencesDialog::CPreferencesDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kCaption));

    auto* layout = new QVBoxLayout(this);
    AddRadioGroup(layout, &PreferenceValues::eastWest,
                  {{1038, "East Left and West Right"}, {1039, "West Left and East Right"}});
    AddSeparator(layout, this);
    AddRadioGroup(layout, &PreferenceValues::northSouth,
                  {{1042, "Azimuth North = 180°, South = 0°"},
                   {1048, "Azimuth North = 0°, South = 180°"}});
    AddSeparator(layout, this);
    AddRadioGroup(layout, &PreferenceValues::planetMode,
                  {{1045, "Show Planets as big symbols"},
                   {1046, "Show Planets as small symbols"},
                   {1047, "Show Planets as dots"}});
    AddSeparator(layout, this);
    showConstellations_ = AddCheckBox(layout, {1043, "Show Constellations"});
    AddSeparator(layout, this);
    AddRadioGroup(layout, &PreferenceValues::starsVisible,
                  {{1040, "Show Stars only when really visible"}, {1041, "Show Stars always"}});
    noStars_ = AddCheckBox(layout, {1044, "Show only Planets, no Stars and no Constallations"});
    AddSeparator(layout, this);
    AddRadioGroup(layout, &PreferenceValues::starColor,
                  {{1052, "Stars white"}, {1053, "Stars in spectral colors"}});
    AddSeparator(layout, this);
    layout->addWidget(new QLabel(QString::fromUtf8(kTimeControlHeading), this));
    AddRadioGroup(layout, &PreferenceValues::timeControl,
                  {{1049, "Increase/decrease time step "},
                   {1050, "Toggle between 24h / Sideral Day / Month / Year"},
                   {1051, "One Year fix"}});
    AddSeparator(layout, this);
    showIntro_ = AddCheckBox(layout, {1054, "Show the intro screen at start"});

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(IdName(kOkId));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    values_ = ReadPreferenceValues();
    ShowValues();
}

void CPreferencesDialog::AddRadioGroup(QBoxLayout* layout, int PreferenceValues::*value,
                                      std::initializer_list<Choice> choices)
{
    RadioGroup radio;
    auto* group = new QButtonGroup(this);
    radio.value = value;
    for (const Choice& choice : choices) {
        auto* button = new QRadioButton(QString::fromUtf8(choice.text), this);
        button->setObjectName(IdName(choice.id));
        group->addButton(button);
        radio.buttons.push_back(button);
        layout->addWidget(button);
    }
    radioGroups_.push_back(radio);
}

QCheckBox* CPreferencesDialog::AddCheckBox(QBoxLayout* layout, const Choice& choice)
{
    auto* box = new QCheckBox(QString::fromUtf8(choice.text), this);
    box->setObjectName(IdName(choice.id));
    layout->addWidget(box);
    return box;
}

void CPreferencesDialog::ShowValues()
{
    for (const RadioGroup& radio : radioGroups_)
        CheckButtonAt(radio.buttons, values_.*radio.value);
    showConstellations_->setChecked(values_.showConstellations != 0);
    noStars_->setChecked(values_.noStars != 0);
    showIntro_->setChecked(values_.noIntro == 0);
}

void CPreferencesDialog::ReadControls()
{
    for (const RadioGroup& radio : radioGroups_)
        values_.*radio.value = CheckedPosition(radio.buttons);
    values_.showConstellations = showConstellations_->isChecked() ? 1 : 0;
    values_.noStars = noStars_->isChecked() ? 1 : 0;
    values_.noIntro = showIntro_->isChecked() ? 0 : 1;
}

void CPreferencesDialog::accept()
{
    ReadControls();
    WritePreferenceValues(values_);
    QDialog::accept();
}

}  // namespace skyvane::app
