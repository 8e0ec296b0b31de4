#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

// A real Mosquitto on two loopback ports with a throw-away configuration:
// logins from a password file made by mosquitto_passwd (no anonymous
// clients) on a plain listener and on a TLS one whose certificate, for
// localhost (not 127.0.0.1), comes from a throw-away CA (caFile()).
class MosquittoBroker
{
public:
    ~MosquittoBroker() { stop(); }

    // Empty when it runs; else why it cannot (for a skip).
    QString start(const QList<std::pair<QString, QString>>& users)
    {
        if (!QFile::exists(QStringLiteral("/usr/sbin/mosquitto")))
            return QStringLiteral("mosquitto is not installed (mosquitto, mosquitto-clients)");
        const QStringList steps = {
            "openssl req -x509 -days 2 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
            "-keyout ca.key -out ca.crt -subj /CN=Brellix-test-CA",
            "openssl req -x509 -days 2 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
            "-CA ca.crt -CAkey ca.key -keyout server.key -out server.crt -subj /CN=localhost "
            "-addext subjectAltName=DNS:localhost",
        };
        QStringList runs = steps;
        for (const auto& [user, password] : users)
            runs << QStringLiteral("mosquitto_passwd -b %1 passwd %2 %3")
                        .arg(runs.size() == 2 ? "-c" : "", user, password);
        for (const QString& step : runs)
            if (const QString why = run(step.simplified()); !why.isEmpty())
                return why;
        for (int& port : m_ports) {
            QTcpServer s;
            s.listen(QHostAddress::LocalHost, 0);
            port = s.serverPort();
        }
        const QString d = m_dir.path();
        // Where localhost is ::1 as well, it is listened on there too.
        QTcpServer v6;
        const QString alsoV6 = v6.listen(QHostAddress::LocalHostIPv6, quint16(tlsPort()))
                                   ? QStringLiteral("listener %1 ::1\n").arg(tlsPort())
                                   : QString();
        v6.close();
        QFile conf(path("mosquitto.conf"));
        if (!conf.open(QIODevice::WriteOnly) ||
            conf.write(QStringLiteral("per_listener_settings false\nallow_anonymous false\n"
                                      "password_file %1/passwd\npersistence false\nuser %2\n"
                                      "log_dest file %1/mosquitto.log\nlistener %3 127.0.0.1\n"
                                      "listener %4 127.0.0.1\ncafile %1/ca.crt\n"
                                      "certfile %1/server.crt\nkeyfile %1/server.key\n%5")
                           .arg(d, qEnvironmentVariable("USER", QStringLiteral("root")))
                           .arg(port())
                           .arg(tlsPort())
                           .arg(alsoV6)
                           .toUtf8()) < 0)
            return QStringLiteral("cannot write the configuration");
        conf.close();
        return resume();
    }

    // Ends the broker (what it retained goes with it).
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // Starts it again on the same ports.
    QString resume()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("mosquitto"), {"-c", path("mosquitto.conf")});
        for (int i = 0; i < 100 && m_process.waitForStarted(5000); ++i) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(tlsPort()));
            if (probe.waitForConnected(100))
                return {};
            QThread::msleep(50);
        }
        return "mosquitto did not come up: " + QString::fromLocal8Bit(m_process.readAll());
    }

    int port() const { return m_ports[0]; }
    int tlsPort() const { return m_ports[1]; }
    QString caFile() const { return path("ca.crt"); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QString run(const QString& command)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args = command.split(u' ');
        p.start(args.takeFirst(), args);
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return {};
        return command + ": " + QString::fromLocal8Bit(p.readAll());
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_ports[2] = {};
};
