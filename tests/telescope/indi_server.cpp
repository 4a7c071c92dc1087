#include "tests/telescope/indi_server.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace skyvane::telescope::testing {

quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

IndiServer::IndiServer(const QStringList& drivers)
{
    port_ = FreeLoopbackPort();
    if (port_ == 0 || !home_.isValid()) return;
    process_ = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home_.path());
    process_->setProcessEnvironment(environment);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    // Its own local socket, so servers of tests running side by side do
    // not meet; no restarts of a driver that ends.
    QStringList arguments{"-p", QString::number(port_), "-u", home_.filePath("indiserver.sock"),
                          "-r", "0"};
    arguments += drivers;
    process_->start("indiserver", arguments);
    if (!process_->waitForStarted(5000)) return;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_->state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port_);
        if (probe.waitForConnected(200)) {
            started_ = true;
            return;
        }
        QThread::msleep(50);
    }
}

IndiServer::~IndiServer() { Kill(); }

void IndiServer::Kill()
{
    if (!process_ || process_->state() == QProcess::NotRunning) return;
    // The drivers end when the server's end of their pipes closes.
    process_->kill();
    process_->waitForFinished(5000);
}

QString IndiServer::Log()
{
    if (!process_) return "indiserver did not start";
    return QString::fromLocal8Bit(process_->readAll());
}

}  // namespace skyvane::telescope::testing
