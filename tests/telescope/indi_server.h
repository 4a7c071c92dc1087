// A real indiserver with real drivers (Debian's indi-bin) on a free port of
// the loopback interface, started for one test and stopped after it. The
// drivers run with a home folder of their own, so no saved configuration
// of this machine's user leaks in or is written.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace skyvane::telescope::testing {

class IndiServer {
public:
    // Starts indiserver with `drivers` (program names or paths) and waits
    // until it accepts connections. Started() says whether it did.
    explicit IndiServer(const QStringList& drivers);
    ~IndiServer();

    bool Started() const { return started_; }
    quint16 Port() const { return port_; }
    // Ends the server at once (SIGKILL), as a crash or a pulled cable would.
    void Kill();
    // The server's own output so far, for a failed test's message.
    QString Log();

private:
    QTemporaryDir home_;
    std::unique_ptr<QProcess> process_;
    quint16 port_ = 0;
    bool started_ = false;
};

// A port on 127.0.0.1 that nothing listens on right now.
quint16 FreeLoopbackPort();

// The simulator driver's device name.
inline constexpr char kSimulator[] = "Telescope Simulator";

}  // namespace skyvane::telescope::testing
