// The Telescope menu of the main window and what it drives: the connect
// dialog (server, port, the mount chosen from the server's list, all kept
// in the settings), goto and sync on the selected object, abort (also
// Escape while the mount moves), park and unpark, the reticle on the
// charts and the status area's line about the mount. The window knows the
// mount only through the telescope layer's interface.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <optional>

#include "app/sky_view.h"
#include "app/telescope_target.h"
#include "telescope/indi_mount.h"

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace skyvane::app {

// Where the connect dialog's choices are kept.
inline constexpr char kTelescopeSection[] = "Telescope";

// Telescope › Connect: host and port, a button that lists the server's
// mounts, and the mount to connect.
class CTelescopeDialog : public QDialog {
    Q_OBJECT

public:
    CTelescopeDialog(const QString& host, int port, const QString& device, QWidget* parent);

    QString Host() const { return host_->text().trimmed(); }
    quint16 Port() const { return static_cast<quint16>(port_->value()); }
    QString Device() const { return device_->currentText(); }
    // Asks the server for its mounts (the List button).
    void ListMounts();

private:
    QLineEdit* host_;
    QSpinBox* port_;
    QComboBox* device_;
    QLabel* message_;
    QPushButton* ok_;
    telescope::IndiMount lister_;
};

class CTelescopeControl : public QObject {
    Q_OBJECT

public:
    CTelescopeControl(QMainWindow* frame, CSkyvaneView* view);

    // The Telescope menu, added to the frame's menu bar.
    void AddMenu(QMenuBar* menuBar);
    // View › Follow Telescope, added to the frame's View menu.
    void AddViewItems(QMenu* viewMenu);

    telescope::Mount& Mount() { return mount_; }
    // The line the status area shows about the mount.
    QString StatusText() const { return status_; }

    // The menu's commands.
    void OnConnect();
    void ConnectTo(const QString& host, quint16 port, const QString& device);
    void OnDisconnect();
    void OnGotoSelected();
    void OnSyncSelected();
    void OnAbort();
    void OnPark();
    void OnUnpark();

private:
    // The selected object at its apparent place of date for now, or
    // nothing with `why` set.
    std::optional<TelescopeTarget> SelectedTarget(QString& why) const;
    void Refuse(const QString& title, const QString& why);
    void ShowStatus(const QString& text);
    void ShowState();
    void UpdateActions();

    QMainWindow* frame_;
    CSkyvaneView* view_;
    telescope::IndiMount mount_;
    QString targetName_;
    QString status_;
    QLabel* statusLabel_ = nullptr;
    QAction* connect_ = nullptr;
    QAction* disconnect_ = nullptr;
    QAction* goto_ = nullptr;
    QAction* sync_ = nullptr;
    QAction* abort_ = nullptr;
    QAction* abortKey_ = nullptr;
    QAction* park_ = nullptr;
    QAction* unpark_ = nullptr;
};

}  // namespace skyvane::app
