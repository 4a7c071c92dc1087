#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QEvent>
#include <QShowEvent>
#include <QLabel>
#include <QKeySequence>
#include <QMessageBox>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/desktop_start.h"
#include "app/night_palette.h"
#include "online/http_exchange.h"
#include "online/report_request.h"
#include "platform/profile_store.h"
#include "platform/worker_thread.h"

namespace skyvane::app {
namespace {

// How long the program waits at its end for workers still talking to the
// vendor host (a download, a version check, a click report).
constexpr std::chrono::milliseconds kWorkerGrace{3000};

// How long a window system may take between a window's new size and its
// new state (maximised or restored).
constexpr int kRestoredSizeSettleMs = 250;

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("100");
    setWindowTitle("About Starwick");
    auto* layout = new QVBoxLayout(this);
    const QString host = QString::fromStdString(online::HostHeaderText(online::VendorHost()));
    for (const QString& line : {QString("Vemox Starwick V 1.41"),
                                QString("Copyright (C) Vemox Software Inc."),
                                QString("Sky data and updates from ") + host,
                                QString("Planets, Moon and stars computed for any date "
                                        "from 4713 BC to 9999 AD")})
        layout->addWidget(new QLabel(line, this));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

CMainFrame::CMainFrame(CSkyvaneView::Clock clock)
{
    // The caption is ours alone: no document title is ever added to it.
    setWindowTitle(kMainWindowCaption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // No frame is known before the window is shown; KeepRestoredSize puts
    // the outer window in place once the window manager has framed it.
    setGeometry(RestoredClientGeometry(QMargins()));

    restoredSizeCheck_.setSingleShot(true);
    restoredSizeCheck_.setInterval(kRestoredSizeSettleMs);
    connect(&restoredSizeCheck_, &QTimer::timeout, this, &CMainFrame::KeepRestoredSize);

    view_ = new CSkyvaneView(this, std::move(clock));
    setCentralWidget(view_);

    AddMenu("&File", {{"Save Chart &As...", kCommandSaveChartAs},
                      {"Print Pre&view", kCommandPrintPreview},
                      {"&Print", kCommandPrint},
                      {"E&xit Program", kCommandExit}});
    AddMenu("&Config", {{"&Preferences", kCommandPreferences},
                        {"Update datafile", kCommandUpdateDataFile}});
    QMenu* viewMenu = AddMenu("&View", {{"Heliocentric", kCommandHeliocentric},
                                        {"Geocentric", kCommandGeocentric},
                                        {"Horizontal", kCommandHorizontal},
                                        {"Intro Screen", kCommandIntroScreen}});
    viewMenu->addSeparator();
    QAction* nightMode = AddCommand(viewMenu, "Night Mode", kCommandNightMode);
    nightMode->setCheckable(true);
    // The sky window owns the setting; the menu's tick and the controls'
    // palette follow it, whether the menu or a load of the preferences
    // changed it.
    connect(view_, &CSkyvaneView::NightModeChanged, this, [nightMode](bool on) {
        nightMode->setChecked(on);
        ApplyNightPalette(on);
    });
    AddMenu("&Location", {{"&Edit", kCommandEditLocation}});
    AddMenu("&Time", {{"&Enter", kCommandEnterTime}});
    // Alt+S reaches the search from the keyboard, and Ctrl+F (the
    // platform's Find key) the object search directly.
    AddMenu("&Search", {{"&Constellation", kCommandSearchConstellation},
                        {"&Object...", kCommandSearchObject}});
    CommandAction(kCommandSearchObject)->setShortcut(QKeySequence::Find);
    AddMenu("&Manual", {{"Go to the online &Manual", kCommandManual}});
    AddMenu("&Website", {{"&Go to software website", kCommandWebsite}});
    AddMenu("&Donate", {{"Support Software", kCommandDonate}});
    AddMenu("&About", {{"&About Starwick ...", kCommandAbout}});
}

CMainFrame::~CMainFrame()
{
    ApplyNightPalette(false);
}

QMenu* CMainFrame::AddMenu(const char* title,
                           std::initializer_list<std::pair<const char*, int>> items)
{
    QMenu* menu = menuBar()->addMenu(title);
    for (const auto& [text, id] : items) AddCommand(menu, text, id);
    return menu;
}

QAction* CMainFrame::AddCommand(QMenu* menu, const char* text, int id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setObjectName(QString::number(id));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

QAction* CMainFrame::CommandAction(int id) const
{
    return findChild<QAction*>(QString::number(id));
}

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case kCommandAbout: OnAppAbout(); break;
    case kCommandExit: close(); break;
    case kCommandPrint: OnFilePrint(); break;
    case kCommandPrintPreview: OnFilePrintPreview(); break;
    case kCommandSaveChartAs: OnFileSaveChartAs(); break;
    default: view_->OnCommand(id); break;
    }
}

void CMainFrame::OnAppAbout()
{
    CAboutDialog about(this);
    about.exec();
}

void CMainFrame::OnFilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    view_->OnPreparePrinting(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, 1);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter(&printer);
    view_->OnPrint(painter, printer);
}

void CMainFrame::OnFilePrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    view_->OnPreparePrinting(printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QPainter painter(target);
        view_->OnPrint(painter, *target);
    });
    preview.exec();
}

void CMainFrame::OnFileSaveChartAs()
{
    static const QString kPng = "PNG image (*.png)";
    static const QString kJpeg = "JPEG image (*.jpg *.jpeg)";
    // The folder of the last chart saved; the first time, the user's
    // pictures folder (the data folder the program runs in is no place
    // for them).
    constexpr char kSection[] = "Charts";
    constexpr char kFolderKey[] = "SaveFolder";
    QString folder = QString::fromStdString(platform::GetProfileString(kSection, kFolderKey));
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    }
    QFileDialog dialog(this, "Save Chart As", folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({kPng, kJpeg});
    dialog.setDefaultSuffix("png");
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kJpeg ? "jpg" : "png");
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().constFirst();
    // A name without a picture extension ("chart", "chart.txt") takes the
    // chosen format's, so that the file says what it holds.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "png" && suffix != "jpg" && suffix != "jpeg")
        path += dialog.selectedNameFilter() == kJpeg ? ".jpg" : ".png";
    platform::WriteProfileString(kSection, kFolderKey,
                                 QFileInfo(path).absolutePath().toStdString());
    QString why;
    if (!view_->SaveChartImage(path, QByteArray(), &why))
        QMessageBox::warning(this, "Save Chart As",
                             "The chart could not be written to\n" + path + "\n\n" + why);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The close work may wait seconds for the version check; the window
    // is gone from the screen meanwhile instead of hanging there.
    hide();
    view_->OnDestroy();
    QMainWindow::closeEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The border does not size the window: a restored window goes back to
    // its one size. Checked once the window system has settled: a maximise
    // may report its new size well before its new state.
    restoredSizeCheck_.start();
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    placeOnCheck_ = true;
    restoredSizeCheck_.start();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Restoring from maximised, and the frame arriving after the first show.
    if (event->type() == QEvent::WindowStateChange) {
        placeOnCheck_ = true;
        restoredSizeCheck_.start();
    }
}

void CMainFrame::KeepRestoredSize()
{
    if (!isVisible() ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    // The title bar and the borders belong to the restored size: the
    // caption and the close button stay on the screen.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    QRect wanted = RestoredClientGeometry(frame);
    if (!placeOnCheck_) wanted.moveTopLeft(inner.topLeft());
    placeOnCheck_ = false;
    if (inner != wanted) setGeometry(wanted);
}

QRect RestoredClientGeometry(const QMargins& frame)
{
    return QRect(0, 0, kRestoredWidth, kRestoredHeight).marginsRemoved(frame);
}

int RunDesktopProgram(int argc, char** argv)
{
    int status = 0;
    {
        QApplication application(argc, argv);
        QApplication::setOrganizationName("Skyvane");
        QApplication::setApplicationName("Skyvane");
        QGuiApplication::setDesktopFileName(kApplicationId);
        QApplication::setWindowIcon(ProgramIcon());
        // Every file the program reads and writes lives in its data folder.
        if (const int exit = EnterDataFolder(QApplication::arguments(), std::cout, std::cerr);
            exit >= 0)
            return exit;
        CMainFrame frame;
        frame.showMaximized();
        frame.View().OnInitialUpdate();
        frame.View().setFocus();
        status = QApplication::exec();
    }
    // A worker that is still talking to the vendor host gets a little time
    // to finish; after that the process ends without tearing down the
    // tables and the settings store a worker may still be using.
    if (!platform::LiveWorkerCount::WaitUntilNone(kWorkerGrace)) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

}  // namespace skyvane::app
