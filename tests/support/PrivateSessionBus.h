#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// A D-Bus session bus of the test's own: dbus-daemon started as a child,
// ended with the object.
class PrivateSessionBus
{
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(3000))
                m_daemon.kill();
        }
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts the daemon; false with error() saying why.
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) {
            m_error = QStringLiteral("dbus-daemon is not installed (Debian: dbus-daemon)");
            return false;
        }
        m_daemon.start(daemon,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(5000)) {
            m_error = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
            return false;
        }
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(5000)) {
                m_error = QStringLiteral("dbus-daemon gave no address: ") +
                          QString::fromLocal8Bit(m_daemon.readAllStandardError());
                return false;
            }
        }
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }

    QString address() const { return m_address; }
    QString error() const { return m_error; }

    // A connection of its own on this bus, under a name unique in the process.
    QDBusConnection connect(const QString& name) const
    {
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QProcess m_daemon;
    QString m_address;
    QString m_error;
};
