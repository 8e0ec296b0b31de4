#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A D-Bus session bus of the test's own: dbus-daemon started as a child,
// ended with the object.
class PrivateSessionBus
{
public:
    ~PrivateSessionBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }

    // Starts the daemon; false with error() saying why.
    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }
    QString error() const { return "dbus-daemon gave no address: " + m_daemon.errorString(); }
    QString address() const { return m_address; }
    // A connection of its own on this bus, under a name unique in the process.
    QDBusConnection connect(const QString& name) const
    {
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QProcess m_daemon;
    QString m_address;
};
