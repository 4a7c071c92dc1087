// Search › Object: a line to type a name in, with completion over the names
// of the loaded catalogue, and below it what the sky window found for it.
// The window does the finding and the selecting; the dialog only moves the
// name to it and its answer back.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "skydata/sky_data.h"

class QCompleter;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;

namespace skyvane::app {

// What the window answers for a name.
struct FindOutcome {
    bool found = false;
    QString report;  // the object's data, one fact a line; or why nothing was found
    QString note;    // one line when the chart on screen does not show the object
    bool offerGeocentric = false;  // the geocentric chart would show it
};

// The completion list's role that holds the name itself, as it goes into
// the line when chosen; the list shows it with the object it names.
inline constexpr int kCompletionNameRole = Qt::UserRole + 1;

// Where the find dialog goes (its top-left corner, in the coordinates of
// `chart` and `screen`): beside the chart when the screen has room on its
// right, else in the corner of the chart farthest from `object` (the found
// object's place, when the chart draws it) that does not cover it; with no
// object, the chart's lower left corner, where the charts draw least.
QPoint FindDialogPosition(const QRect& chart, const QRect& screen, const QSize& dialog,
                          std::optional<QPoint> object);

class CFindDialog : public QDialog {
    Q_OBJECT

public:
    using Finder = std::function<FindOutcome(const QString& name)>;

    // `data` is the snapshot whose names are completed; `find` finds and
    // selects; `showGeocentric` switches the window to the geocentric chart.
    CFindDialog(std::shared_ptr<const skydata::SkyData> data, Finder find,
                std::function<void()> showGeocentric, QWidget* parent = nullptr);

    // How many completions the list offers at most.
    static constexpr int kCompletions = 12;

    QLineEdit* NameEdit() const { return nameEdit_; }
    QCompleter* Completer() const { return completer_; }

public slots:
    // Finds the name in the line.
    void FindName();

signals:
    // A find has been answered and the dialog sized for the answer.
    void Answered();

private:
    void UpdateCompletions(const QString& text);
    void Show(const FindOutcome& outcome);

    std::shared_ptr<const skydata::SkyData> data_;
    Finder find_;
    std::function<void()> showGeocentric_;
    std::vector<skydata::NameMatch> matches_;

    QLineEdit* nameEdit_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStandardItemModel* completions_ = nullptr;
    QLabel* report_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* geocentric_ = nullptr;
};

}  // namespace skyvane::app
