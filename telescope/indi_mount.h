// A mount behind an INDI server (protocol 1.7), spoken directly over TCP:
// getProperties lists the server's devices, a mount is a device whose
// driver declares the telescope interface (or that offers a pointing of
// date), and the standard telescope properties carry pointing, goto, sync,
// abort and park. Every wait has a deadline and the server's XML is read
// with bounds (IndiXmlReader); anything wrong ends in one clear message.
#pragma once

#include <QTcpSocket>
#include <QTimer>

#include <map>
#include <memory>

#include "telescope/indi_xml_reader.h"
#include "telescope/mount.h"

namespace skyvane::telescope {

// INDI's registered port.
inline constexpr quint16 kIndiDefaultPort = 7624;

class IndiMount : public Mount {
    Q_OBJECT

public:
    explicit IndiMount(QObject* parent = nullptr);
    ~IndiMount() override;

    void Open(const QString& host, quint16 port, const QString& device = {}) override;
    void Choose(const QString& device) override;
    void Close() override;

    MountState State() const override { return state_; }
    QString Device() const override { return device_; }
    QString Server() const override;
    std::optional<PlaceOfDate> Pointing() const override { return pointing_; }

    bool Goto(const PlaceOfDate& target, QString& why) override;
    bool Sync(const PlaceOfDate& place, QString& why) override;
    bool Abort(QString& why) override;
    bool Park(QString& why) override;
    bool Unpark(QString& why) override;

    // Limits on what a server may make us keep.
    static constexpr std::size_t kMaxDevices = 128;
    static constexpr std::size_t kMaxPropertiesPerDevice = 1024;

private:
    // One property vector as last described or set.
    struct Vector {
        QString state;  // Idle, Ok, Busy, Alert
        std::map<QString, QString> members;
    };
    using Properties = std::map<QString, Vector>;
    enum class Pending { kNone, kGoto, kSync, kPark, kUnpark, kAbort };

    void OnConnected();
    void OnReadyRead();
    void OnSocketError(QAbstractSocket::SocketError error);
    void OnDisconnected();
    void OnDeadline();
    void OnListingSettled();

    void Handle(const IndiMessage& message);
    void HandleDeviceUpdate(const QString& property, const Vector& vector);
    void NoteMount(const QString& device);
    bool IsMount(const QString& device) const;
    const Vector* Property(const QString& name) const;
    QString Member(const QString& property, const QString& member) const;
    bool SwitchOn(const QString& property, const QString& member) const;

    bool CheckReady(QString& why) const;
    void SendSwitch(const QString& property, const QString& member);
    void SendPlace(const PlaceOfDate& place);
    void Send(const QString& xml);
    void StartPending(Pending pending, const QString& what);
    void EndPending();

    void UpdateState();
    void SetState(MountState state);
    void Arm(int ms, const QString& message);
    void Fail(const QString& message);
    QString Says() const;

    QTcpSocket socket_;
    std::unique_ptr<IndiXmlReader> reader_;
    QTimer deadline_;
    QString deadlineMessage_;
    QTimer listingSettled_;
    QTimer slewSilence_;
    int generation_ = 0;

    QString host_;
    quint16 port_ = kIndiDefaultPort;
    QString wantedDevice_;
    QString device_;
    QStringList mounts_;
    bool listed_ = false;
    bool ready_ = false;
    std::map<QString, Properties> devices_;

    MountState state_ = MountState::kDisconnected;
    std::optional<PlaceOfDate> pointing_;
    Pending pending_ = Pending::kNone;
    QString pendingWhat_;
    bool pendingSeenBusy_ = false;
    int refinements_ = 0;
    PlaceOfDate pendingPlace_;
    QString lastDeviceMessage_;
};

}  // namespace skyvane::telescope
