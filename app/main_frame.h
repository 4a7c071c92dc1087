// The application shell: the application object's start-up, the empty
// document, the main window with its menu bar, and the About box.
#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QTimer>

#include "app/sky_view.h"

class QMenu;

namespace skyvane::app {

// The caption; the document never shows in it.
inline constexpr char kMainWindowCaption[] = "Vemox Starwick V 1.41";
// The restored window: top-left corner of the screen, this size, both
// measured on the outer window with its frame (title bar and borders).
inline constexpr int kRestoredWidth = 1024;
inline constexpr int kRestoredHeight = 750;

// The client area that puts the outer window at (0, 0) with the restored
// size, given the frame the window manager draws around it.
QRect RestoredClientGeometry(const QMargins& frame);

// Application-level command ids.
inline constexpr int kCommandAbout = 57664;
inline constexpr int kCommandExit = 57665;
inline constexpr int kCommandPrintPreview = 57609;
inline constexpr int kCommandPrint = 57607;
inline constexpr int kCommandSaveChartAs = 57603;

// The document the window framework expects; it holds and stores nothing.
class CSkyvaneDoc {
public:
    void Serialize(bool storing) { (void)storing; }
};

class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // `clock` is handed to the sky window (tests give their own).
    explicit CMainFrame(CSkyvaneView::Clock clock = {});
    // Puts back the day palette if night mode gave the application its own.
    ~CMainFrame() override;

    CSkyvaneView& View() { return *view_; }
    // The menu action of command `id`, or null.
    QAction* CommandAction(int id) const;

    void OnAppAbout();
    void OnFilePrint();
    void OnFilePrintPreview();
    // File › Save Chart As: the chart on screen into a PNG or JPEG file,
    // chosen by the dialog's filter or the name's extension.
    void OnFileSaveChartAs();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QMenu* AddMenu(const char* title, std::initializer_list<std::pair<const char*, int>> items);
    QAction* AddCommand(QMenu* menu, const char* text, int id);
    void OnCommand(int id);
    void KeepRestoredSize();

    CSkyvaneDoc document_;
    QTimer restoredSizeCheck_;
    // Set when the window is shown or restored: the next check also puts
    // it back in the corner. A window the user moved stays where it is.
    bool placeOnCheck_ = true;
    CSkyvaneView* view_ = nullptr;
};

// The desktop program: application object, main window maximised, the
// sky window's initial update, the event loop. Returns the exit status.
int RunDesktopProgram(int argc, char** argv);

}  // namespace skyvane::app
