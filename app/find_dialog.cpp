#include "app/find_dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>

namespace skyvane::app {

CFindDialog::CFindDialog(std::shared_ptr<const skydata::SkyData> data, Finder find,
                         std::function<void()> showGeocentric, QWidget* parent)
    : QDialog(parent),
      data_(std::move(data)),
      find_(std::move(find)),
      showGeocentric_(std::move(showGeocentric))
{
    setWindowTitle("Find Object");

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName("name");
    nameEdit_->setPlaceholderText("Sirius, alf CMa, 58 Ori, HR 2491, M 31, Jupiter …");
    nameEdit_->setClearButtonEnabled(true);

    // The list is worked out here from the index (which knows "α Ori" and
    // "Alpha Orionis" as one star); the completer only shows it.
    completions_ = new QStandardItemModel(this);
    completer_ = new QCompleter(completions_, this);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCompletionRole(kCompletionNameRole);
    completer_->setWidget(nameEdit_);
    connect(nameEdit_, &QLineEdit::textEdited, this, &CFindDialog::UpdateCompletions);
    connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) {
                nameEdit_->setText(index.data(kCompletionNameRole).toString());
                FindName();
            });

    auto* findButton = new QPushButton("&Find", this);
    findButton->setObjectName("find");
    findButton->setDefault(true);
    connect(findButton, &QPushButton::clicked, this, &CFindDialog::FindName);

    report_ = new QLabel(this);
    report_->setObjectName("report");
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report_->setTextFormat(Qt::PlainText);
    report_->setMinimumWidth(560);

    note_ = new QLabel(this);
    note_->setObjectName("note");
    note_->setTextFormat(Qt::PlainText);
    note_->setVisible(false);

    geocentric_ = new QPushButton("Show &Geocentric Chart", this);
    geocentric_->setObjectName("geocentric");
    geocentric_->setVisible(false);
    connect(geocentric_, &QPushButton::clicked, this, [this] {
        if (showGeocentric_) showGeocentric_();
        FindName();  // the note and the button now speak of that chart
    });

    auto* close = new QPushButton("Close", this);
    close->setObjectName("close");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* line = new QHBoxLayout;
    line->addWidget(nameEdit_, 1);
    line->addWidget(findButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(geocentric_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(line);
    layout->addWidget(report_);
    layout->addWidget(note_);
    layout->addStretch();
    layout->addLayout(buttons);
}

void CFindDialog::UpdateCompletions(const QString& text)
{
    data_->names->Complete(text.toStdString(), kCompletions, matches_);
    completions_->clear();
    for (const skydata::NameMatch& match : matches_) {
        const QString name = QString::fromStdString(match.name);
        const QString object =
            QString::fromStdString(skydata::ObjectName(*data_->catalogue, match.object));
        auto* item = new QStandardItem(object == name ? name : name + "  —  " + object);
        item->setData(name, kCompletionNameRole);
        item->setEditable(false);
        completions_->appendRow(item);
    }
    if (matches_.empty()) {
        completer_->popup()->hide();
        return;
    }
    completer_->setCompletionPrefix(QString());
    completer_->complete();
}

void CFindDialog::FindName()
{
    completer_->popup()->hide();
    if (find_) Show(find_(nameEdit_->text()));
}

void CFindDialog::Show(const FindOutcome& outcome)
{
    report_->setText(outcome.report.trimmed());
    note_->setText(outcome.note);
    note_->setVisible(!outcome.note.isEmpty());
    geocentric_->setVisible(outcome.offerGeocentric);
    // Wide enough for the longest line.
    adjustSize();
    emit Answered();
}

QPoint FindDialogPosition(const QRect& chart, const QRect& screen, const QSize& dialog,
                          std::optional<QPoint> object)
{
    constexpr int kMargin = 8;
    if (screen.right() - chart.right() >= dialog.width() + kMargin)
        return {chart.right() + kMargin, chart.top()};
    const int left = chart.left() + kMargin;
    const int right = std::max(left, chart.right() - kMargin - dialog.width());
    const int top = chart.top() + kMargin;
    const int bottom = std::max(top, chart.bottom() - kMargin - dialog.height());
    const QPoint lowerLeft(left, bottom);
    if (!object) return lowerLeft;
    QPoint best = lowerLeft;
    long long bestDistance = -1;
    for (const QPoint corner : {lowerLeft, QPoint(left, top), QPoint(right, top), QPoint(right, bottom)}) {
        const QRect placed(corner, dialog);
        if (placed.contains(*object)) continue;
        const QPoint d = placed.center() - *object;
        const long long distance = 1LL * d.x() * d.x() + 1LL * d.y() * d.y();
        if (distance > bestDistance) {
            bestDistance = distance;
            best = corner;
        }
    }
    return best;
}

}  // namespace skyvane::app
