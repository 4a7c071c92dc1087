// Drives a modal dialog from a test: the command that opens it runs its own
// event loop, so the dialog is looked for from a timer inside that loop.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QTest>
#include <QTimer>

#include <functional>

namespace skyvane::app {

// The modal dialog on screen. The active modal widget is not always set
// by the time a dialog shows (a file dialog reading its folder), so the
// visible top-level dialogs are asked too.
inline QDialog* OpenModalDialog()
{
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) return dialog;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal()) return dialog;
    }
    return nullptr;
}

// Runs `command`, which may open a modal dialog; `handle` gets the dialog
// and must close it. Looks for it every 10 ms, `tries` times at most;
// returns how many dialogs were handled (0 when none opened).
inline int RunWithDialog(const std::function<void()>& command,
                         const std::function<void(QDialog*)>& handle, int tries = 20)
{
    int opened = 0;
    int looked = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = OpenModalDialog()) {
            poll.stop();
            ++opened;
            handle(dialog);
        } else if (++looked > tries) {
            poll.stop();
        }
    });
    poll.start();
    command();
    while (poll.isActive()) QTest::qWait(10);
    return opened;
}

}  // namespace skyvane::app
