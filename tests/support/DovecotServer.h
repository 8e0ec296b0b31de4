#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A real Dovecot (IMAP and POP3) on loopback ports with a throw-away
// configuration: passwd-file users with Maildir fixtures, TLS with a
// self-signed certificate for "localhost" (caFile()), plain ports that offer
// STARTTLS; "other.crt" is someone else's certificate. Failed logins are not
// slowed down, so they cost a test nothing.
class DovecotServer
{
public:
    struct Message
    {
        QByteArray content; // header and body, CRLF
        bool seen = false;
    };
    struct User
    {
        QByteArray name;
        QByteArray password;
        QList<Message> messages; // oldest first
        // Extra fields of the user's passwd line ("userdb_imap_capability=...").
        QByteArray extra = {};
    };

    ~DovecotServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    // Empty when the server runs; else why it cannot (for a skip).
    QString start(const QList<User>& users)
    {
        const QString dovecot = QStringLiteral("/usr/sbin/dovecot");
        if (!QFile::exists(dovecot))
            return QStringLiteral("dovecot is not installed (dovecot-imapd, dovecot-pop3d)");
        // The server's certificate, and someone else's for the same name.
        for (const char* name : {"server", "other"}) {
            QProcess p;
            p.setWorkingDirectory(m_dir.path());
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("openssl"),
                    QStringLiteral("req -x509 -days 2 -newkey ec -pkeyopt "
                                   "ec_paramgen_curve:prime256v1 -nodes -keyout %1.key -out %1.crt "
                                   "-subj /CN=localhost -addext subjectAltName=DNS:localhost")
                        .arg(QLatin1String(name))
                        .split(QLatin1Char(' ')));
            if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit ||
                p.exitCode() != 0)
                return "openssl cannot make a certificate: " + QString::fromLocal8Bit(p.readAll());
        }
        // Dovecot's login processes refuse to run as root: as root, the
        // package's own users run them and own the mail.
        const bool root = ::getuid() == 0;
        if (root && !::getpwnam("dovenull"))
            return QStringLiteral("running as root without the dovenull user");
        const passwd* owner = root ? ::getpwnam("dovecot") : ::getpwuid(::getuid());
        const struct group* group = owner ? ::getgrgid(owner->pw_gid) : nullptr;
        if (!group)
            return QStringLiteral("no user and group to run dovecot as");
        const QByteArray internalUser = owner->pw_name, groupName = group->gr_name,
                         loginUser = root ? "dovenull" : internalUser,
                         u = QByteArray::number(owner->pw_uid),
                         gg = QByteArray::number(owner->pw_gid);

        QByteArray passwd;
        for (const User& user : users) {
            passwd += user.name + ":{PLAIN}" + user.password + "::::::" + user.extra + "\n";
            const QString box = path("mail/" + user.name);
            for (const char* sub : {"/cur", "/new", "/tmp"})
                QDir().mkpath(box + QLatin1String(sub));
            // Dovecot numbers new files in the order of their names.
            for (int n = 1; n <= user.messages.size(); ++n)
                if (!write(QStringLiteral("%1/cur/%2.brellix:2,%3")
                               .arg(box)
                               .arg(1700000000 + n)
                               .arg(user.messages[n - 1].seen ? "S" : ""),
                           user.messages[n - 1].content))
                    return QStringLiteral("cannot write the mail of ") + user.name;
        }
        for (int& port : m_ports) {
            QTcpServer s;
            s.listen(QHostAddress::LocalHost, 0);
            port = s.serverPort();
        }
        const QByteArray d = m_dir.path().toUtf8();
        const auto listeners = [](const char* kind, int plain, int tls) {
            return QByteArray("service ") + kind + "-login {\n chroot =\n inet_listener " + kind +
                   " {\n port = " + QByteArray::number(plain) + "\n }\n inet_listener " + kind +
                   "s {\n port = " + QByteArray::number(tls) + "\n ssl = yes\n }\n}\n";
        };
        // No penalty for failed logins (auth_failure_delay, anvil).
        const QByteArray conf =
            "base_dir = " + d + "/run\nstate_dir = " + d + "/state\nlog_path = " + d +
            "/dovecot.log\nprotocols = imap pop3\nlisten = 127.0.0.1\nssl = yes\n"
            "ssl_cert = <" +
            d + "/server.crt\nssl_key = <" + d +
            "/server.key\n"
            "default_internal_user = " +
            internalUser + "\ndefault_internal_group = " + groupName +
            "\ndefault_login_user = " + loginUser + "\nfirst_valid_uid = " + u +
            "\nfirst_valid_gid = " + gg + "\nauth_failure_delay = 0\nmail_location = maildir:" + d +
            "/mail/%u\npassdb {\n driver = passwd-file\n args = scheme=PLAIN username_format=%u " +
            d + "/passwd\n}\nuserdb {\n driver = static\n args = uid=" + u + " gid=" + gg +
            " home=" + d + "/home/%u\n}\n" + listeners("imap", imapPort(), imapsPort()) +
            listeners("pop3", pop3Port(), pop3sPort()) +
            "service anvil {\n chroot =\n unix_listener anvil-auth-penalty {\n mode = 0\n }\n}\n"
            "service auth {\n user = " +
            internalUser + "\n}\nservice auth-worker {\n user = " + internalUser + "\n}\n";
        if (!write(path("passwd"), passwd) || !write(path("dovecot.conf"), conf))
            return QStringLiteral("cannot write the configuration");

        if (root) {
            // The services reach the folder as the dovecot user.
            QFile::setPermissions(m_dir.path(), QFile::Permissions(0x7055)); // rwxr-xr-x
            if (QProcess::execute(QStringLiteral("chown"),
                                  {QStringLiteral("-R"), QString::fromLatin1(u + ':' + gg),
                                   path("mail"), path("passwd")}) != 0)
                return QStringLiteral("cannot give the fixtures to the dovecot user");
        }

        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(
            dovecot, QStringList{QStringLiteral("-F"), QStringLiteral("-c"), path("dovecot.conf")});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("dovecot does not start: %1").arg(m_process.errorString());
        for (int i = 0; i < 100 && m_process.state() != QProcess::NotRunning; ++i) {
            if (std::all_of(std::begin(m_ports), std::end(m_ports), [](int port) {
                    QTcpSocket probe;
                    probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
                    return probe.waitForConnected(100);
                }))
                return {};
            QThread::msleep(50);
        }
        return QStringLiteral("dovecot did not come up: %1 %2")
            .arg(QString::fromLocal8Bit(m_process.readAll()), log());
    }

    int imapPort() const { return m_ports[0]; }
    int imapsPort() const { return m_ports[1]; }
    int pop3Port() const { return m_ports[2]; }
    int pop3sPort() const { return m_ports[3]; }
    QString caFile() const { return path("server.crt"); }
    QString maildir(const QByteArray& user) const { return path("mail/" + user); }
    QString log() const
    {
        QFile f(path("dovecot.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // The messages of a mailbox not marked read, from the flags in the names.
    int unreadFiles(const QByteArray& user) const
    {
        int unread = 0;
        for (const char* sub : {"/cur", "/new"})
            for (const QString& f : QDir(maildir(user) + QLatin1String(sub)).entryList(QDir::Files))
                unread += f.section(QLatin1String(":2,"), 1).contains(QLatin1Char('S')) ? 0 : 1;
        return unread;
    }

private:
    static bool write(const QString& name, const QByteArray& content)
    {
        QFile f(name);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(content) == content.size();
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_ports[4] = {};
};
