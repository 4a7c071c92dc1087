// The INDI mount client against Debian's real indiserver and telescope
// simulator, and against servers that misbehave.
#include "telescope/indi_mount.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/telescope/indi_server.h"

namespace skyvane::telescope {
namespace {

using testing::IndiServer;
using testing::kSimulator;

double DistanceDegrees(const PlaceOfDate& a, const PlaceOfDate& b)
{
    constexpr double kDeg = std::numbers::pi / 180;
    const double c = std::sin(a.declination * kDeg) * std::sin(b.declination * kDeg) +
                     std::cos(a.declination * kDeg) * std::cos(b.declination * kDeg) *
                         std::cos((a.rightAscension - b.rightAscension) * 15 * kDeg);
    return std::acos(std::clamp(c, -1.0, 1.0)) / kDeg;
}

// A mount connected to the simulator, ready to take commands.
bool OpenSimulator(IndiMount& mount, const IndiServer& server)
{
    mount.Open("127.0.0.1", server.Port(), kSimulator);
    return QTest::qWaitFor([&] { return mount.Pointing().has_value() &&
                                        mount.State() != MountState::kConnecting; },
                           kDeviceDeadlineMs + kConnectDeadlineMs);
}

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server_.Started()) << server_.Log().toStdString();
        ASSERT_TRUE(OpenSimulator(mount_, server_)) << server_.Log().toStdString();
        // The simulator starts parked at the pole on some versions.
        if (mount_.State() == MountState::kParked) {
            QString why;
            ASSERT_TRUE(mount_.Unpark(why)) << why.toStdString();
            ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() != MountState::kParked; },
                                        5000));
        }
    }

    IndiServer server_{{"indi_simulator_telescope"}};
    IndiMount mount_;
};

TEST_F(SimulatorTest, ListsTheSimulatorAsTheOnlyMount)
{
    IndiMount lister;
    QSignalSpy listed(&lister, &Mount::devicesListed);
    lister.Open("127.0.0.1", server_.Port());
    ASSERT_TRUE(listed.wait(kConnectDeadlineMs));
    EXPECT_EQ(listed.front().front().toStringList(), QStringList{kSimulator});
    EXPECT_EQ(lister.State(), MountState::kChoosing);
}

TEST_F(SimulatorTest, GotoEndsOnTheTargetAndTracks)
{
    // A place well away from the simulator's start at the pole.
    const PlaceOfDate target{std::fmod(mount_.Pointing()->rightAscension + 2, 24), 20.5};
    QSignalSpy ended(&mount_, &Mount::motionEnded);
    QSignalSpy moved(&mount_, &Mount::pointingChanged);
    QString why;
    ASSERT_TRUE(mount_.Goto(target, why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() == MountState::kSlewing; }, 5000));
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_LT(DistanceDegrees(*mount_.Pointing(), target), 1.0 / 60);
    EXPECT_EQ(mount_.State(), MountState::kTracking);
    // The reticle follows reports, several a second while slewing.
    EXPECT_GE(moved.size(), 8);
}

TEST_F(SimulatorTest, SyncMovesTheReportedPosition)
{
    const PlaceOfDate before = *mount_.Pointing();
    const PlaceOfDate place{std::fmod(before.rightAscension + 1.5, 24), 10.25};
    QString why;
    ASSERT_TRUE(mount_.Sync(place, why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return DistanceDegrees(*mount_.Pointing(), place) < 1.0 / 60; }, 5000));
    EXPECT_GT(DistanceDegrees(before, *mount_.Pointing()), 10);
}

TEST_F(SimulatorTest, AbortStopsASlew)
{
    const PlaceOfDate target{std::fmod(mount_.Pointing()->rightAscension + 8, 24), -30};
    QString why;
    ASSERT_TRUE(mount_.Goto(target, why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() == MountState::kSlewing; }, 5000));
    QTest::qWait(1000);
    ASSERT_TRUE(mount_.Abort(why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() != MountState::kSlewing; }, 5000));
    const PlaceOfDate stopped = *mount_.Pointing();
    QTest::qWait(1500);
    // Stopped short of the target and no longer moving towards it (an
    // untracked mount drifts with the sky, 15 arc seconds a second).
    EXPECT_GT(DistanceDegrees(stopped, target), 5);
    EXPECT_LT(DistanceDegrees(stopped, *mount_.Pointing()), 0.1);
}

TEST_F(SimulatorTest, ParkAndUnpark)
{
    QSignalSpy ended(&mount_, &Mount::motionEnded);
    QString why;
    ASSERT_TRUE(mount_.Park(why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() == MountState::kParked; }, 60000));
    // A parked mount takes no goto.
    EXPECT_FALSE(mount_.Goto({1, 1}, why));
    EXPECT_NE(why.indexOf("parked"), -1) << why.toStdString();
    ASSERT_TRUE(mount_.Unpark(why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() != MountState::kParked; }, 5000));
    EXPECT_GE(ended.size(), 1);
}

TEST_F(SimulatorTest, ServerGoneMidSlewEndsInAMessage)
{
    const PlaceOfDate target{std::fmod(mount_.Pointing()->rightAscension + 8, 24), -30};
    QSignalSpy failed(&mount_, &Mount::failed);
    QString why;
    ASSERT_TRUE(mount_.Goto(target, why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount_.State() == MountState::kSlewing; }, 5000));
    QElapsedTimer clock;
    clock.start();
    server_.Kill();
    ASSERT_TRUE(failed.wait(kSlewSilenceMs + 1000));
    EXPECT_LT(clock.elapsed(), 2000);
    const QString message = failed.front().front().toString();
    EXPECT_NE(message.indexOf("closed the connection while the mount was moving"), -1)
        << message.toStdString();
    EXPECT_EQ(mount_.State(), MountState::kDisconnected);
    EXPECT_FALSE(mount_.Goto(target, why));
}

// ------------------------------------------------------------ bad servers

// Each way a server can fail, with the words its message must hold.
TEST(IndiMountFailures, RefusedConnectionSaysSo)
{
    IndiMount mount;
    QSignalSpy failed(&mount, &Mount::failed);
    mount.Open("127.0.0.1", testing::FreeLoopbackPort());
    ASSERT_TRUE(failed.wait(kConnectDeadlineMs + 1000));
    EXPECT_NE(failed.front().front().toString().indexOf("refused the connection"), -1);
}

// A real indiserver whose driver describes two mounts and then never
// answers anything: one never connects, the other never answers a goto.
TEST(IndiMountFailures, DeviceThatNeverAnswersEndsAtTheDeadline)
{
    const QString driver = SKYVANE_SILENT_MOUNT_DRIVER;
    IndiServer server({driver});
    ASSERT_TRUE(server.Started()) << server.Log().toStdString();

    IndiMount mute;
    IndiMount deaf;
    QSignalSpy muteFailed(&mute, &Mount::failed);
    QSignalSpy deafFailed(&deaf, &Mount::failed);
    mute.Open("127.0.0.1", server.Port(), "Mute");
    deaf.Open("127.0.0.1", server.Port(), "Deaf");
    ASSERT_TRUE(QTest::qWaitFor([&] { return deaf.Pointing().has_value(); }, 5000));
    // The sexagesimal right ascension of the description.
    EXPECT_DOUBLE_EQ(deaf.Pointing()->rightAscension, 5.5);
    EXPECT_DOUBLE_EQ(deaf.Pointing()->declination, -12.5);
    QString why;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(deaf.Goto({6, 10}, why)) << why.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !muteFailed.isEmpty() && !deafFailed.isEmpty(); },
                                kAnswerDeadlineMs + 2000));
    EXPECT_LT(clock.elapsed(), kAnswerDeadlineMs + 1500);
    EXPECT_NE(muteFailed.front().front().toString().indexOf("Mute did not connect within 10 s"),
              -1)
        << muteFailed.front().front().toString().toStdString();
    EXPECT_NE(
        deafFailed.front().front().toString().indexOf("did not answer the goto within 10 s"), -1)
        << deafFailed.front().front().toString().toStdString();
}

// Our own loopback server feeding bytes: the client's reader bounds, not
// the protocol.
class ByteFeeder : public QObject {
public:
    explicit ByteFeeder(std::function<void(QTcpSocket&)> feed) : feed_(std::move(feed))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            socket_ = server_.nextPendingConnection();
            feed_(*socket_);
        });
    }
    quint16 Port() const { return server_.serverPort(); }
    QTcpSocket* Socket() const { return socket_; }

private:
    QTcpServer server_;
    QTcpSocket* socket_ = nullptr;
    std::function<void(QTcpSocket&)> feed_;
};

TEST(IndiMountFailures, MalformedAndEndlessXmlEndInAMessage)
{
    struct Case {
        const char* what;
        QByteArray opening;
        QByteArray repeated;  // sent again and again until the client leaves
        const char* expected;
    };
    const Case cases[] = {
        {"malformed", "<defTextVector device=\"x\" name=\"y\"><oops</defTextVector>", "",
         "malformed XML"},
        {"endless text", "<defTextVector device=\"x\" name=\"y\"><defText name=\"z\">",
         QByteArray(4096, 'a'), "longer than"},
        {"endless nesting", "", "<a>", "nested deeper"},
        {"endless attribute", "<message message=\"", QByteArray(4096, 'b'), "longer than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ByteFeeder feeder([&](QTcpSocket& socket) { socket.write(c.opening); });
        IndiMount mount;
        QSignalSpy failed(&mount, &Mount::failed);
        mount.Open("127.0.0.1", feeder.Port());
        QElapsedTimer clock;
        clock.start();
        while (failed.isEmpty() && clock.elapsed() < 4000) {
            if (QTcpSocket* socket = feeder.Socket();
                socket != nullptr && !c.repeated.isEmpty() &&
                socket->state() == QAbstractSocket::ConnectedState &&
                socket->bytesToWrite() < 65536)
                socket->write(c.repeated);
            QTest::qWait(1);
        }
        ASSERT_EQ(failed.size(), 1);
        const QString message = failed.front().front().toString();
        EXPECT_NE(message.indexOf("sent what is not INDI"), -1) << message.toStdString();
        EXPECT_NE(message.indexOf(c.expected), -1) << message.toStdString();
    }
}

TEST(IndiMountFailures, ServerThatListsNoMountEndsAtTheDeadline)
{
    // Accepts, takes the request, never answers.
    ByteFeeder feeder([](QTcpSocket&) {});
    IndiMount mount;
    QSignalSpy failed(&mount, &Mount::failed);
    QElapsedTimer clock;
    clock.start();
    mount.Open("127.0.0.1", feeder.Port());
    ASSERT_TRUE(failed.wait(kConnectDeadlineMs + 2000));
    EXPECT_GE(clock.elapsed(), kConnectDeadlineMs - 100);
    EXPECT_NE(failed.front().front().toString().indexOf("lists no telescope mount"), -1);
}

}  // namespace
}  // namespace skyvane::telescope
