#include "app/telescope_control.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "platform/profile_store.h"
#include "skydata/found_object.h"
#include "skydata/sky_data.h"

namespace skyvane::app {
namespace {

constexpr char kHostKey[] = "Host";
constexpr char kPortKey[] = "Port";
constexpr char kDeviceKey[] = "Device";
constexpr char kDefaultHost[] = "localhost";

}  // namespace

CTelescopeDialog::CTelescopeDialog(const QString& host, int port, const QString& device,
                                   QWidget* parent)
    : QDialog(parent)
{
    setObjectName("telescopeConnect");
    setWindowTitle("Connect Telescope");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    host_ = new QLineEdit(host, this);
    host_->setObjectName("telescopeHost");
    port_ = new QSpinBox(this);
    port_->setObjectName("telescopePort");
    port_->setRange(1, 65535);
    port_->setValue(port);
    auto* list = new QPushButton("&List mounts", this);
    list->setObjectName("telescopeList");
    device_ = new QComboBox(this);
    device_->setObjectName("telescopeDevice");
    if (!device.isEmpty()) device_->addItem(device);
    message_ = new QLabel(this);
    message_->setObjectName("telescopeMessage");
    message_->setWordWrap(true);
    form->addRow("INDI server:", host_);
    form->addRow("Port:", port_);
    form->addRow("", list);
    form->addRow("Mount:", device_);
    layout->addLayout(form);
    layout->addWidget(message_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName("1");
    ok_->setEnabled(device_->count() > 0);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list, &QPushButton::clicked, this, &CTelescopeDialog::ListMounts);
    connect(&lister_, &telescope::Mount::devicesListed, this, [this](const QStringList& mounts) {
        const QString previous = device_->currentText();
        device_->clear();
        device_->addItems(mounts);
        if (const int at = device_->findText(previous); at >= 0) device_->setCurrentIndex(at);
        message_->setText(QString("The server offers %1 mount(s).").arg(mounts.size()));
        ok_->setEnabled(true);
        lister_.Close();
    });
    connect(&lister_, &telescope::Mount::failed, this, [this](const QString& why) {
        message_->setText(why.isEmpty() ? QString("The server could not be asked.")
                                        : why.left(1).toUpper() + why.mid(1) + ".");
    });
}

void CTelescopeDialog::ListMounts()
{
    message_->setText("Asking " + Host() + ":" + QString::number(Port()) + " for its mounts...");
    lister_.Open(Host(), Port());
}

CTelescopeControl::CTelescopeControl(QMainWindow* frame, CSkyvaneView* view)
    : QObject(frame), frame_(frame), view_(view)
{
    connect(&mount_, &telescope::Mount::pointingChanged, this,
            [this](const telescope::PlaceOfDate& p) {
                view_->SetTelescopeMark(render::TelescopeMark{p.rightAscension, p.declination});
            });
    connect(&mount_, &telescope::Mount::stateChanged, this, [this] {
        UpdateActions();
        ShowState();
    });
    connect(&mount_, &telescope::Mount::ready, this, [this] {
        UpdateActions();
        ShowState();
    });
    connect(&mount_, &telescope::Mount::commandFailed, this,
            [this](const QString& why) { ShowStatus("Telescope: " + why); });
    connect(&mount_, &telescope::Mount::failed, this, [this](const QString& why) {
        view_->SetTelescopeMark(std::nullopt);
        UpdateActions();
        ShowStatus("Telescope: " + why);
    });
}

void CTelescopeControl::AddMenu(QMenuBar* menuBar)
{
    QMenu* menu = menuBar->addMenu("T&elescope");
    menu->setObjectName("telescopeMenu");
    const auto add = [&](const char* text, const char* name, void (CTelescopeControl::*slot)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    connect_ = add("&Connect...", "telescopeConnect", &CTelescopeControl::OnConnect);
    disconnect_ = add("&Disconnect", "telescopeDisconnect", &CTelescopeControl::OnDisconnect);
    menu->addSeparator();
    goto_ = add("&Goto Selected", "telescopeGoto", &CTelescopeControl::OnGotoSelected);
    goto_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    sync_ = add("&Sync on Selected", "telescopeSync", &CTelescopeControl::OnSyncSelected);
    abort_ = add("&Abort", "telescopeAbort", &CTelescopeControl::OnAbort);
    menu->addSeparator();
    park_ = add("&Park", "telescopePark", &CTelescopeControl::OnPark);
    unpark_ = add("&Unpark", "telescopeUnpark", &CTelescopeControl::OnUnpark);
    // Escape stops the mount only while it moves; otherwise the key is left
    // alone.
    abortKey_ = new QAction(this);
    abortKey_->setObjectName("telescopeAbortKey");
    abortKey_->setShortcut(QKeySequence(Qt::Key_Escape));
    abortKey_->setShortcutContext(Qt::WindowShortcut);
    connect(abortKey_, &QAction::triggered, this, &CTelescopeControl::OnAbort);
    frame_->addAction(abortKey_);
    UpdateActions();
}

void CTelescopeControl::AddViewItems(QMenu* viewMenu)
{
    viewMenu->addSeparator();
    QAction* follow = viewMenu->addAction("&Follow Telescope");
    follow->setObjectName("telescopeFollow");
    follow->setCheckable(true);
    connect(follow, &QAction::toggled, view_, &CSkyvaneView::SetFollowTelescope);
}

void CTelescopeControl::OnConnect()
{
    const QString host = QString::fromStdString(
        platform::GetProfileString(kTelescopeSection, kHostKey, kDefaultHost));
    const int port = platform::GetProfileInt(kTelescopeSection, kPortKey,
                                             telescope::kIndiDefaultPort);
    const QString device =
        QString::fromStdString(platform::GetProfileString(kTelescopeSection, kDeviceKey, ""));
    CTelescopeDialog dialog(host.isEmpty() ? kDefaultHost : host,
                            port >= 1 && port <= 65535 ? port : telescope::kIndiDefaultPort,
                            device, frame_);
    if (dialog.exec() != QDialog::Accepted || dialog.Device().isEmpty()) return;
    platform::WriteProfileString(kTelescopeSection, kHostKey, dialog.Host().toStdString());
    platform::WriteProfileInt(kTelescopeSection, kPortKey, dialog.Port());
    platform::WriteProfileString(kTelescopeSection, kDeviceKey, dialog.Device().toStdString());
    ConnectTo(dialog.Host(), dialog.Port(), dialog.Device());
}

void CTelescopeControl::ConnectTo(const QString& host, quint16 port, const QString& device)
{
    targetName_.clear();
    mount_.Open(host, port, device);
    ShowStatus("Telescope: connecting to " + device + " at " + mount_.Server() + "...");
    UpdateActions();
}

void CTelescopeControl::OnDisconnect()
{
    mount_.Close();
    view_->SetTelescopeMark(std::nullopt);
    ShowStatus("Telescope: disconnected");
    UpdateActions();
}

std::optional<TelescopeTarget> CTelescopeControl::SelectedTarget(QString& why) const
{
    const render::ObjectSelection& selection = view_->Selection();
    skydata::ObjectRef object;
    if (selection.selectedStar > 0)
        object = {skydata::ObjectKind::kStar, selection.selectedStar};
    else if (selection.selectedDeepSky >= 0)
        object = {skydata::ObjectKind::kMessier, selection.selectedDeepSky};
    else if (selection.selectedDeepStar >= 0)
        object = {skydata::ObjectKind::kHipStar, selection.selectedDeepStar};
    else if (selection.selectedNgcObject >= 0)
        object = {skydata::ObjectKind::kNgcObject, selection.selectedNgcObject};
    else if (selection.highlightedBody >= 0)
        object = {skydata::ObjectKind::kBody, selection.highlightedBody};
    else {
        why = "Select a star, a deep-sky object or a body first (a click, or Search › Object).";
        return std::nullopt;
    }
    const auto data = skydata::CurrentSkyData();
    // Now, whatever instant the chart shows: the mount points at the sky
    // of this moment.
    const engine::SkyState sky = view_->SkyNow();
    const std::string name =
        skydata::DescribeFoundObject(*data->catalogue, object, sky, data->deepSky.get()).name;
    return TargetOf(*data->catalogue, object, name, sky, data->deepSky.get());
}

void CTelescopeControl::Refuse(const QString& title, const QString& why)
{
    ShowStatus("Telescope: " + why);
    QMessageBox::information(frame_, title, why);
}

void CTelescopeControl::OnGotoSelected()
{
    QString why;
    const std::optional<TelescopeTarget> target = SelectedTarget(why);
    if (!target) return Refuse("Goto Selected", why);
    if (target->altitude < 0)
        return Refuse("Goto Selected", QString::fromStdString(BelowHorizonRefusal(*target)) + ".");
    if (!mount_.Goto(target->place, why)) return Refuse("Goto Selected", why);
    targetName_ = QString::fromStdString(target->name);
    ShowState();
}

void CTelescopeControl::OnSyncSelected()
{
    QString why;
    const std::optional<TelescopeTarget> target = SelectedTarget(why);
    if (!target) return Refuse("Sync on Selected", why);
    if (!mount_.Sync(target->place, why)) return Refuse("Sync on Selected", why);
    ShowStatus("Telescope: synced on " + QString::fromStdString(target->name));
}

void CTelescopeControl::OnAbort()
{
    QString why;
    if (!mount_.Abort(why)) ShowStatus("Telescope: " + why);
}

void CTelescopeControl::OnPark()
{
    QString why;
    if (!mount_.Park(why)) Refuse("Park", why);
}

void CTelescopeControl::OnUnpark()
{
    QString why;
    if (!mount_.Unpark(why)) Refuse("Unpark", why);
}

void CTelescopeControl::ShowState()
{
    const telescope::MountState state = mount_.State();
    if (state == telescope::MountState::kDisconnected) return;
    QString text = "Telescope: " + mount_.Device() + " ";
    if (state == telescope::MountState::kConnecting)
        text += "connecting at " + mount_.Server();
    else
        text += "connected, " + MountStateName(state);
    if (state == telescope::MountState::kSlewing && !targetName_.isEmpty())
        text += " to " + targetName_;
    ShowStatus(text);
}

void CTelescopeControl::ShowStatus(const QString& text)
{
    status_ = text;
    // The status area appears with the first word about a telescope, so a
    // window that never uses one keeps its whole height for the chart.
    if (statusLabel_ == nullptr) {
        statusLabel_ = new QLabel(frame_);
        statusLabel_->setObjectName("telescopeStatus");
        frame_->statusBar()->addWidget(statusLabel_, 1);
    }
    frame_->statusBar()->show();
    statusLabel_->setText(text);
}

void CTelescopeControl::UpdateActions()
{
    if (connect_ == nullptr) return;
    const telescope::MountState state = mount_.State();
    const bool open = state != telescope::MountState::kDisconnected;
    const bool ready = mount_.Pointing().has_value() && state != telescope::MountState::kConnecting;
    const bool moving = state == telescope::MountState::kSlewing ||
                        state == telescope::MountState::kParking ||
                        state == telescope::MountState::kUnparking;
    disconnect_->setEnabled(open);
    goto_->setEnabled(ready);
    sync_->setEnabled(ready);
    abort_->setEnabled(ready);
    abortKey_->setEnabled(ready && moving);
    park_->setEnabled(ready && state != telescope::MountState::kParked);
    unpark_->setEnabled(ready && state == telescope::MountState::kParked);
}

}  // namespace skyvane::app
