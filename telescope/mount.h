// A motorised mount as the window and the commands know it: where it
// points (right ascension and declination of date), what it is doing, and
// the commands goto, sync, abort, park and unpark. One implementation per
// protocol stands behind this interface; protocol names stay there.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace skyvane::telescope {

// A place on the true equator and equinox of date, as a mount takes and
// reports it: right ascension in hours, declination in degrees.
struct PlaceOfDate {
    double rightAscension = 0;
    double declination = 0;
};

enum class MountState {
    kDisconnected,  // no server, or the connection ended
    kConnecting,    // reaching the server, listing its mounts, connecting one
    kChoosing,      // the server's mounts are listed; one is to be chosen
    kStopped,       // connected, not tracking
    kTracking,
    kSlewing,
    kParking,
    kParked,
    kUnparking,
};

// The word the status area and the command line use.
QString MountStateName(MountState state);

// How long the program waits for each step before it says what went wrong.
inline constexpr int kConnectDeadlineMs = 5000;   // the server accepting, and listing its mounts
inline constexpr int kDeviceDeadlineMs = 10000;   // the chosen mount connecting
inline constexpr int kAnswerDeadlineMs = 10000;   // a command's first answer
inline constexpr int kSlewSilenceMs = 10000;      // a slewing mount's reports

class Mount : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~Mount() override = default;

    // Reaches the server at `host`:`port` and lists its mounts
    // (devicesListed). When `device` is given that one is connected as
    // soon as the server lists it; otherwise the caller chooses.
    virtual void Open(const QString& host, quint16 port, const QString& device = {}) = 0;
    // Connects one of the listed mounts; ready() follows when it reports
    // where it points.
    virtual void Choose(const QString& device) = 0;
    // Ends the connection; no failure is reported for it.
    virtual void Close() = 0;

    virtual MountState State() const = 0;
    virtual QString Device() const = 0;
    // "host:port" of the server.
    virtual QString Server() const = 0;
    // Where the mount points, once it has said so.
    virtual std::optional<PlaceOfDate> Pointing() const = 0;

    // The commands. Each returns false with `why` set when the mount
    // cannot take it now (not connected, parked for a goto, ...); the
    // mount's own refusal arrives later as commandFailed.
    virtual bool Goto(const PlaceOfDate& target, QString& why) = 0;
    virtual bool Sync(const PlaceOfDate& place, QString& why) = 0;
    virtual bool Abort(QString& why) = 0;
    virtual bool Park(QString& why) = 0;
    virtual bool Unpark(QString& why) = 0;

signals:
    // The mounts the server offers, by name.
    void devicesListed(const QStringList& devices);
    // The chosen mount is connected and has said where it points.
    void ready();
    void pointingChanged(const skyvane::telescope::PlaceOfDate& pointing);
    void stateChanged(skyvane::telescope::MountState state);
    // The mount took the last command (a goto or park: it started moving).
    void commandTaken();
    // A goto or park has ended (the mount is no longer moving for it).
    void motionEnded();
    // The mount refused or could not finish a command; the connection stays.
    void commandFailed(const QString& message);
    // What the mount's driver says, one line.
    void notice(const QString& message);
    // The connection is over, and why; the state is kDisconnected.
    void failed(const QString& message);
};

}  // namespace skyvane::telescope
