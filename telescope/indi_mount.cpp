#include "telescope/indi_mount.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace skyvane::telescope {
namespace {

// The protocol's names for what a mount does; nothing outside this file
// knows them.
constexpr char kGetProperties[] = "<getProperties version=\"1.7\"/>\n";
constexpr char kDriverInfo[] = "DRIVER_INFO";
constexpr char kDriverInterface[] = "DRIVER_INTERFACE";
constexpr char kConnection[] = "CONNECTION";
constexpr char kConnect[] = "CONNECT";
constexpr char kPointing[] = "EQUATORIAL_EOD_COORD";
constexpr char kRa[] = "RA";
constexpr char kDec[] = "DEC";
constexpr char kOnCoordSet[] = "ON_COORD_SET";
constexpr char kTrack[] = "TRACK";
constexpr char kSync[] = "SYNC";
constexpr char kAbortMotion[] = "TELESCOPE_ABORT_MOTION";
constexpr char kAbort[] = "ABORT";
constexpr char kPark[] = "TELESCOPE_PARK";
constexpr char kParkOn[] = "PARK";
constexpr char kUnparkOn[] = "UNPARK";
constexpr char kTrackState[] = "TELESCOPE_TRACK_STATE";
constexpr char kTrackOn[] = "TRACK_ON";
constexpr char kBusy[] = "Busy";
constexpr char kAlert[] = "Alert";
constexpr char kOk[] = "Ok";
constexpr char kIdle[] = "Idle";
// The driver interface bit of a telescope mount.
constexpr int kTelescopeInterface = 1;

// A server lists its devices in one burst; this much quiet after the last
// description means the list is complete.
constexpr int kListingQuietMs = 300;

// A sync counts as taken once the mount reports this close to its place.
constexpr double kSyncToleranceDegrees = 1.0 / 60;
// A goto that ends farther than this from its target is sent again, at
// most kMaxRefinements times.
constexpr double kArrivalToleranceDegrees = 0.5 / 60;
constexpr int kMaxRefinements = 2;

// Each read takes at most this much, so one read never holds more than a
// bounded chunk besides the reader's own bound.
constexpr qint64 kReadChunk = 64 * 1024;
constexpr qint64 kSocketBuffer = 1024 * 1024;

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

double AngularDistanceDegrees(const PlaceOfDate& a, const PlaceOfDate& b)
{
    constexpr double kDeg = std::numbers::pi / 180;
    const double ra1 = a.rightAscension * 15 * kDeg;
    const double ra2 = b.rightAscension * 15 * kDeg;
    const double d1 = a.declination * kDeg;
    const double d2 = b.declination * kDeg;
    const double c = std::sin(d1) * std::sin(d2) + std::cos(d1) * std::cos(d2) * std::cos(ra1 - ra2);
    return std::acos(std::clamp(c, -1.0, 1.0)) / kDeg;
}

}  // namespace

IndiMount::IndiMount(QObject* parent) : Mount(parent)
{
    socket_.setReadBufferSize(kSocketBuffer);
    deadline_.setSingleShot(true);
    // The deadlines are promised to the second; a coarse timer may fire 5 % early.
    deadline_.setTimerType(Qt::PreciseTimer);
    slewSilence_.setTimerType(Qt::PreciseTimer);
    listingSettled_.setSingleShot(true);
    listingSettled_.setInterval(kListingQuietMs);
    slewSilence_.setSingleShot(true);
    slewSilence_.setInterval(kSlewSilenceMs);
    connect(&socket_, &QTcpSocket::connected, this, &IndiMount::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &IndiMount::OnReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &IndiMount::OnSocketError);
    connect(&socket_, &QTcpSocket::disconnected, this, &IndiMount::OnDisconnected);
    connect(&deadline_, &QTimer::timeout, this, &IndiMount::OnDeadline);
    connect(&listingSettled_, &QTimer::timeout, this, &IndiMount::OnListingSettled);
    connect(&slewSilence_, &QTimer::timeout, this, [this] {
        Fail("the mount " + device_ + " stopped reporting while it was moving (nothing for " +
             QString::number(kSlewSilenceMs / 1000) + " s)");
    });
}

IndiMount::~IndiMount()
{
    // Closing quietly: nobody listens any more.
    blockSignals(true);
    Close();
}

QString IndiMount::Server() const { return host_ + ":" + QString::number(port_); }

void IndiMount::Open(const QString& host, quint16 port, const QString& device)
{
    Close();
    ++generation_;
    host_ = host;
    port_ = port;
    wantedDevice_ = device;
    reader_ = std::make_unique<IndiXmlReader>();
    SetState(MountState::kConnecting);
    Arm(kConnectDeadlineMs, "the INDI server at " + Server() + " did not answer within " +
                                QString::number(kConnectDeadlineMs / 1000) + " s");
    socket_.connectToHost(host, port);
}

void IndiMount::Close()
{
    ++generation_;
    deadline_.stop();
    listingSettled_.stop();
    slewSilence_.stop();
    socket_.blockSignals(true);
    socket_.abort();
    socket_.blockSignals(false);
    reader_.reset();
    devices_.clear();
    mounts_.clear();
    listed_ = false;
    ready_ = false;
    device_.clear();
    pointing_.reset();
    pending_ = Pending::kNone;
    lastDeviceMessage_.clear();
    SetState(MountState::kDisconnected);
}

void IndiMount::OnConnected()
{
    Send(kGetProperties);
    Arm(kConnectDeadlineMs, "the INDI server at " + Server() + " lists no telescope mount");
}

void IndiMount::OnReadyRead()
{
    const int generation = generation_;
    while (generation == generation_ && reader_ && socket_.bytesAvailable() > 0) {
        const QByteArray chunk = socket_.read(kReadChunk);
        if (chunk.isEmpty()) break;
        const std::vector<IndiMessage> messages = reader_->Feed(chunk);
        if (reader_->Failed()) {
            Fail("the INDI server at " + Server() + " sent what is not INDI: " + reader_->Error());
            return;
        }
        for (const IndiMessage& message : messages) {
            Handle(message);
            // A handler may have ended the connection, or a listener may
            // have opened another.
            if (generation != generation_) return;
        }
    }
}

void IndiMount::OnSocketError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        Fail("the INDI server at " + Server() +
             " refused the connection (is indiserver running there?)");
        break;
    case QAbstractSocket::HostNotFoundError:
        Fail("there is no host called " + host_);
        break;
    case QAbstractSocket::RemoteHostClosedError:
        OnDisconnected();
        break;
    default:
        Fail("the INDI server at " + Server() + ": " + socket_.errorString());
        break;
    }
}

void IndiMount::OnDisconnected()
{
    const bool moving = state_ == MountState::kSlewing || state_ == MountState::kParking ||
                        state_ == MountState::kUnparking;
    Fail("the INDI server at " + Server() + " closed the connection" +
         (moving ? " while the mount was moving" : ""));
}

void IndiMount::OnDeadline() { Fail(deadlineMessage_); }

void IndiMount::OnListingSettled()
{
    if (listed_ || mounts_.isEmpty()) return;
    // A mount asked for by name is waited for until the deadline.
    if (!wantedDevice_.isEmpty()) return;
    listed_ = true;
    deadline_.stop();
    SetState(MountState::kChoosing);
    emit devicesListed(mounts_);
}

void IndiMount::Choose(const QString& device)
{
    if (state_ == MountState::kDisconnected || ready_) return;
    listed_ = true;
    listingSettled_.stop();
    device_ = device;
    SetState(MountState::kConnecting);
    Arm(kDeviceDeadlineMs, "the mount " + device + " did not connect within " +
                               QString::number(kDeviceDeadlineMs / 1000) + " s" + Says());
    if (!SwitchOn(kConnection, kConnect))
        SendSwitch(kConnection, kConnect);
    // Already connected by another client: its pointing may be known.
    if (const Vector* pointing = Property(kPointing)) HandleDeviceUpdate(kPointing, *pointing);
}

// ------------------------------------------------------------------ input

void IndiMount::Handle(const IndiMessage& message)
{
    const QString device = message.Attribute(u"device");
    const QString& tag = message.tag;
    if (tag == "message") {
        const QString text = message.Attribute(u"message").simplified();
        if (!text.isEmpty() && (device.isEmpty() || device == device_)) {
            lastDeviceMessage_ = text.left(200);
            emit notice(lastDeviceMessage_);
        }
        return;
    }
    if (tag == "delProperty") {
        if (device.isEmpty()) return;
        const QString name = message.Attribute(u"name");
        if (device == device_ && ready_ && (name.isEmpty() || name == kPointing)) {
            Fail("the mount " + device_ + " went away" + Says());
            return;
        }
        auto found = devices_.find(device);
        if (found == devices_.end()) return;
        if (name.isEmpty())
            devices_.erase(found);
        else
            found->second.erase(name);
        return;
    }
    const bool definition = tag.startsWith("def") && tag.endsWith("Vector");
    const bool update = tag.startsWith("set") && tag.endsWith("Vector");
    if (!definition && !update) return;  // getProperties, new*, BLOBs: not ours
    const QString name = message.Attribute(u"name");
    if (device.isEmpty() || name.isEmpty()) return;

    auto found = devices_.find(device);
    if (found == devices_.end()) {
        if (!definition) return;
        if (devices_.size() >= kMaxDevices) {
            Fail("the INDI server at " + Server() + " describes more than " +
                 QString::number(kMaxDevices) + " devices");
            return;
        }
        found = devices_.emplace(device, Properties{}).first;
    }
    Properties& properties = found->second;
    auto property = properties.find(name);
    if (property == properties.end()) {
        if (!definition) return;
        if (properties.size() >= kMaxPropertiesPerDevice) {
            Fail("the device " + device + " describes more than " +
                 QString::number(kMaxPropertiesPerDevice) + " properties");
            return;
        }
        property = properties.emplace(name, Vector{}).first;
    }
    Vector& vector = property->second;
    if (definition) vector.members.clear();
    if (const QString state = message.Attribute(u"state"); !state.isEmpty()) vector.state = state;
    for (const IndiItem& item : message.items)
        if (!item.name.isEmpty()) vector.members[item.name] = item.text;

    if (definition && !IsMount(device) &&
        ((name == kDriverInfo &&
          (vector.members[kDriverInterface].toInt() & kTelescopeInterface) != 0) ||
         name == kPointing))
        NoteMount(device);
    if (device == device_) HandleDeviceUpdate(name, vector);
}

bool IndiMount::IsMount(const QString& device) const { return mounts_.contains(device); }

void IndiMount::NoteMount(const QString& device)
{
    mounts_.push_back(device);
    if (listed_) return;
    if (!wantedDevice_.isEmpty() && device == wantedDevice_) {
        Choose(device);
        return;
    }
    listingSettled_.start();
}

void IndiMount::HandleDeviceUpdate(const QString& property, const Vector& vector)
{
    if (property == kConnection) {
        const bool on = SwitchOn(kConnection, kConnect);
        if (!ready_ && vector.state == kAlert) {
            Fail("the mount " + device_ + " could not connect" + Says());
            return;
        }
        if (ready_ && !on && vector.state != kBusy) {
            Fail("the mount " + device_ + " was disconnected" + Says());
            return;
        }
    }
    if (property == kPointing) {
        const std::optional<double> ra = ParseIndiNumber(Member(kPointing, kRa));
        const std::optional<double> dec = ParseIndiNumber(Member(kPointing, kDec));
        if (ra && dec && *dec >= -90 && *dec <= 90) {
            pointing_ = PlaceOfDate{std::fmod(std::fmod(*ra, 24) + 24, 24), *dec};
            if (!ready_ && SwitchOn(kConnection, kConnect)) {
                ready_ = true;
                deadline_.stop();
                UpdateState();
                emit ready();
            }
            if (ready_) emit pointingChanged(*pointing_);
        }
        if (ready_ && (vector.state == kBusy || state_ == MountState::kParking ||
                       state_ == MountState::kUnparking))
            slewSilence_.start();
    }
    if (!ready_) return;

    // What the command waiting for its answer learns from this report.
    switch (pending_) {
    case Pending::kGoto:
        if ((property == kPointing || property == kOnCoordSet) && vector.state == kAlert) {
            EndPending();
            emit commandFailed("the mount refused the goto" + Says());
        } else if (property == kPointing && vector.state == kBusy) {
            // The goto's own answer; reports before it may still be old.
            if (!pendingSeenBusy_ && refinements_ == 0) emit commandTaken();
            pendingSeenBusy_ = true;
            deadline_.stop();
        } else if (property == kPointing && pendingSeenBusy_ &&
                   (vector.state == kOk || vector.state == kIdle)) {
            // A mount that holds one axis while the other still moves lets
            // the sky run on meanwhile and may stop arcminutes short: it is
            // sent to the same place again, as a hand controller would.
            if (pointing_ && refinements_ < kMaxRefinements &&
                AngularDistanceDegrees(*pointing_, pendingPlace_) > kArrivalToleranceDegrees) {
                ++refinements_;
                if (Property(kOnCoordSet) != nullptr) SendSwitch(kOnCoordSet, kTrack);
                SendPlace(pendingPlace_);
                pendingSeenBusy_ = false;
                Arm(kAnswerDeadlineMs, deadlineMessage_);
                break;
            }
            EndPending();
            UpdateState();
            emit motionEnded();
            return;
        }
        break;
    case Pending::kSync:
        if ((property == kPointing || property == kOnCoordSet) && vector.state == kAlert) {
            EndPending();
            emit commandFailed("the mount refused the sync" + Says());
        } else if (property == kPointing && pointing_ &&
                   AngularDistanceDegrees(*pointing_, pendingPlace_) < kSyncToleranceDegrees) {
            EndPending();
            emit commandTaken();
        }
        break;
    case Pending::kPark:
    case Pending::kUnpark:
        if (property == kPark) {
            const bool parking = pending_ == Pending::kPark;
            if (vector.state == kAlert) {
                EndPending();
                emit commandFailed(QString("the mount refused to ") +
                                   (parking ? "park" : "unpark") + Says());
            } else if (vector.state == kBusy) {
                if (!pendingSeenBusy_) emit commandTaken();
                deadline_.stop();
                pendingSeenBusy_ = true;
                slewSilence_.start();
            } else if (SwitchOn(kPark, parking ? kParkOn : kUnparkOn)) {
                const bool taken = pendingSeenBusy_;
                EndPending();
                UpdateState();
                if (!taken) emit commandTaken();
                emit motionEnded();
                return;
            }
        }
        break;
    case Pending::kAbort:
        if (property == kAbortMotion) {
            EndPending();
            if (vector.state == kAlert)
                emit commandFailed("the mount refused to abort" + Says());
            else
                emit commandTaken();
        }
        break;
    case Pending::kNone:
        break;
    }
    UpdateState();
}

const IndiMount::Vector* IndiMount::Property(const QString& name) const
{
    const auto device = devices_.find(device_);
    if (device == devices_.end()) return nullptr;
    const auto property = device->second.find(name);
    return property == device->second.end() ? nullptr : &property->second;
}

QString IndiMount::Member(const QString& property, const QString& member) const
{
    const Vector* vector = Property(property);
    if (vector == nullptr) return {};
    const auto found = vector->members.find(member);
    return found == vector->members.end() ? QString() : found->second;
}

bool IndiMount::SwitchOn(const QString& property, const QString& member) const
{
    return Member(property, member).compare("On", Qt::CaseInsensitive) == 0;
}

// --------------------------------------------------------------- commands

bool IndiMount::CheckReady(QString& why) const
{
    if (!ready_) {
        why = "no mount is connected";
        return false;
    }
    return true;
}

bool IndiMount::Goto(const PlaceOfDate& target, QString& why)
{
    if (!CheckReady(why)) return false;
    if (state_ == MountState::kParked || state_ == MountState::kParking) {
        why = "the mount is parked; unpark it first";
        return false;
    }
    if (Property(kPointing) == nullptr) {
        why = "the mount " + device_ + " cannot go to a place";
        return false;
    }
    if (Property(kOnCoordSet) != nullptr) SendSwitch(kOnCoordSet, kTrack);
    SendPlace(target);
    pendingPlace_ = target;
    StartPending(Pending::kGoto, "the goto");
    return true;
}

bool IndiMount::Sync(const PlaceOfDate& place, QString& why)
{
    if (!CheckReady(why)) return false;
    if (Property(kOnCoordSet) == nullptr || !Property(kOnCoordSet)->members.count(kSync)) {
        why = "the mount " + device_ + " cannot sync";
        return false;
    }
    if (state_ == MountState::kParked) {
        why = "the mount is parked; unpark it first";
        return false;
    }
    SendSwitch(kOnCoordSet, kSync);
    SendPlace(place);
    pendingPlace_ = place;
    StartPending(Pending::kSync, "the sync");
    return true;
}

bool IndiMount::Abort(QString& why)
{
    if (!CheckReady(why)) return false;
    if (Property(kAbortMotion) == nullptr) {
        why = "the mount " + device_ + " cannot abort";
        return false;
    }
    // An abort ends whatever the mount was doing for a goto or park.
    SendSwitch(kAbortMotion, kAbort);
    StartPending(Pending::kAbort, "the abort");
    return true;
}

bool IndiMount::Park(QString& why)
{
    if (!CheckReady(why)) return false;
    if (Property(kPark) == nullptr) {
        why = "the mount " + device_ + " cannot park";
        return false;
    }
    SendSwitch(kPark, kParkOn);
    StartPending(Pending::kPark, "the park");
    return true;
}

bool IndiMount::Unpark(QString& why)
{
    if (!CheckReady(why)) return false;
    if (Property(kPark) == nullptr) {
        why = "the mount " + device_ + " cannot park or unpark";
        return false;
    }
    SendSwitch(kPark, kUnparkOn);
    StartPending(Pending::kUnpark, "the unpark");
    return true;
}

void IndiMount::StartPending(Pending pending, const QString& what)
{
    pending_ = pending;
    pendingWhat_ = what;
    pendingSeenBusy_ = false;
    refinements_ = 0;
    Arm(kAnswerDeadlineMs, "the mount " + device_ + " did not answer " + what + " within " +
                               QString::number(kAnswerDeadlineMs / 1000) + " s");
}

void IndiMount::EndPending()
{
    pending_ = Pending::kNone;
    deadline_.stop();
}

void IndiMount::SendSwitch(const QString& property, const QString& member)
{
    Send("<newSwitchVector device=\"" + Escaped(device_) + "\" name=\"" + property +
         "\">\n  <oneSwitch name=\"" + member + "\">On</oneSwitch>\n</newSwitchVector>\n");
}

void IndiMount::SendPlace(const PlaceOfDate& place)
{
    Send("<newNumberVector device=\"" + Escaped(device_) + "\" name=\"" + kPointing +
         "\">\n  <oneNumber name=\"" + kRa + "\">" + QString::number(place.rightAscension, 'f', 9) +
         "</oneNumber>\n  <oneNumber name=\"" + kDec + "\">" +
         QString::number(place.declination, 'f', 8) + "</oneNumber>\n</newNumberVector>\n");
}

void IndiMount::Send(const QString& xml) { socket_.write(xml.toUtf8()); }

// ------------------------------------------------------------------ state

void IndiMount::UpdateState()
{
    if (!ready_) return;
    const Vector* pointing = Property(kPointing);
    const Vector* park = Property(kPark);
    const Vector* track = Property(kTrackState);
    MountState state = MountState::kTracking;
    if (park != nullptr && park->state == kBusy)
        state = SwitchOn(kPark, kParkOn) ? MountState::kParking : MountState::kUnparking;
    else if (pointing != nullptr && pointing->state == kBusy)
        state = MountState::kSlewing;
    else if (park != nullptr && SwitchOn(kPark, kParkOn))
        state = MountState::kParked;
    else if (track != nullptr)
        state = SwitchOn(kTrackState, kTrackOn) ? MountState::kTracking : MountState::kStopped;
    else if (pointing != nullptr && pointing->state == kIdle)
        state = MountState::kStopped;
    if (state != MountState::kSlewing && state != MountState::kParking &&
        state != MountState::kUnparking)
        slewSilence_.stop();
    else if (!slewSilence_.isActive())
        slewSilence_.start();
    SetState(state);
}

void IndiMount::SetState(MountState state)
{
    if (state == state_) return;
    state_ = state;
    emit stateChanged(state);
}

void IndiMount::Arm(int ms, const QString& message)
{
    deadlineMessage_ = message;
    deadline_.start(ms);
}

void IndiMount::Fail(const QString& message)
{
    if (state_ == MountState::kDisconnected) return;
    Close();
    emit failed(message);
}

QString IndiMount::Says() const
{
    return lastDeviceMessage_.isEmpty() ? QString() : " (it says: " + lastDeviceMessage_ + ")";
}

}  // namespace skyvane::telescope
