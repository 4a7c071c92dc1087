#include "app/night_palette.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

#include "render/color_filter.h"

namespace skyvane::app {

namespace {

// Each role as the grey it would be in a dark theme; the night mapping
// turns it into its red. Text is the brightest grey, surfaces the darkest.
struct RoleGrey {
    QPalette::ColorRole role;
    int active;    // active and inactive windows
    int disabled;  // disabled controls
};

constexpr RoleGrey kRoleGreys[] = {
    {QPalette::Window, 40, 40},
    {QPalette::WindowText, 255, 110},
    {QPalette::Base, 20, 30},
    {QPalette::AlternateBase, 34, 34},
    {QPalette::Text, 255, 110},
    {QPalette::PlaceholderText, 150, 90},
    {QPalette::Button, 52, 44},
    {QPalette::ButtonText, 255, 110},
    {QPalette::BrightText, 255, 150},
    {QPalette::Light, 96, 80},
    {QPalette::Midlight, 70, 60},
    {QPalette::Mid, 48, 44},
    {QPalette::Dark, 28, 28},
    {QPalette::Shadow, 0, 0},
    {QPalette::Highlight, 120, 60},
    {QPalette::HighlightedText, 255, 150},
    {QPalette::Link, 230, 110},
    {QPalette::LinkVisited, 190, 110},
    {QPalette::ToolTipBase, 52, 52},
    {QPalette::ToolTipText, 255, 255},
};

// The platform theme gives some kinds of control a palette of their own
// (a light menu, for one), which wins over the application's palette: each
// gets the night palette too.
constexpr const char* kThemedClasses[] = {
    "QToolButton", "QAbstractButton",   "QCheckBox", "QRadioButton", "QHeaderView",
    "QAbstractItemView", "QMessageBoxLabel", "QTabBar", "QLabel",    "QGroupBox",
    "QMenu",       "QMenuBar",          "QTextEdit", "QTextControl", "QLineEdit",
};

// The style shades push buttons with a white sheen of its own, whatever the
// palette: at night they are drawn flat in the palette's reds instead, and
// without the icon theme's coloured icons.
QString NightButtonSheet(const QPalette& p)
{
    const auto name = [&](QPalette::ColorGroup group, QPalette::ColorRole role) {
        return p.color(group, role).name();
    };
    return QStringLiteral(
               "QPushButton, QToolButton { color: %1; background-color: %2; border: 1px solid %3;"
               " border-radius: 2px; padding: 3px 14px; min-height: 1.3em; }"
               " QPushButton:default { border-color: %4; }"
               " QPushButton:pressed, QToolButton:pressed, QToolButton:checked"
               " { background-color: %5; }"
               " QPushButton:disabled, QToolButton:disabled { color: %6; }"
               // The theme's OK and Cancel icons are green and red.
               " QDialogButtonBox { dialogbuttonbox-buttons-have-icons: 0; }")
        .arg(name(QPalette::Active, QPalette::ButtonText), name(QPalette::Active, QPalette::Button),
             name(QPalette::Active, QPalette::Mid), name(QPalette::Active, QPalette::Light),
             name(QPalette::Active, QPalette::Highlight),
             name(QPalette::Disabled, QPalette::ButtonText));
}

// What the application looked like before night mode came on: its own
// palette and each themed class's, and its style sheet.
struct DayLook {
    QString styleSheet;
    QPalette application;
    std::vector<std::pair<const char*, QPalette>> classes;
};

std::optional<DayLook>& DayPalette()
{
    static std::optional<DayLook> look;
    return look;
}

QColor NightGrey(int grey)
{
    return QColor(render::NightColor(qRgb(grey, grey, grey)));
}

}  // namespace

QPalette NightPalette()
{
    QPalette palette;
    for (const RoleGrey& entry : kRoleGreys) {
        palette.setColor(QPalette::Active, entry.role, NightGrey(entry.active));
        palette.setColor(QPalette::Inactive, entry.role, NightGrey(entry.active));
        palette.setColor(QPalette::Disabled, entry.role, NightGrey(entry.disabled));
    }
    return palette;
}

void ApplyNightPalette(bool on)
{
    std::optional<DayLook>& day = DayPalette();
    if (on) {
        if (!day) {
            day.emplace();
            day->styleSheet = qApp->styleSheet();
            day->application = QApplication::palette();
            for (const char* name : kThemedClasses)
                day->classes.emplace_back(name, QApplication::palette(name));
        }
        const QPalette night = NightPalette();
        QApplication::setPalette(night);
        for (const char* name : kThemedClasses) QApplication::setPalette(night, name);
        qApp->setStyleSheet(day->styleSheet + NightButtonSheet(night));
    } else if (day) {
        qApp->setStyleSheet(day->styleSheet);
        QApplication::setPalette(day->application);
        for (const auto& [name, palette] : day->classes) QApplication::setPalette(palette, name);
        day.reset();
    } else {
        return;
    }
    // Menus already made and hidden keep the palette they were made with
    // until they hear of the change.
    QEvent change(QEvent::ApplicationPaletteChange);
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->isWindow()) QCoreApplication::sendEvent(widget, &change);
}

}  // namespace skyvane::app
