#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A real Dovecot (IMAP and POP3) on loopback ports with a throw-away
// configuration: passwd-file users with Maildir fixtures, TLS with a
// certificate for "localhost" from a CA made here, plain ports that offer
// STARTTLS. A second CA that signed nothing stands for "someone else's".
// Failed logins are not slowed down, so they cost a test nothing.
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
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    // Empty when the server runs; else why it cannot (for a skip).
    QString start(const QList<User>& users)
    {
        const QString dovecot = QStringLiteral("/usr/sbin/dovecot");
        if (!QFile::exists(dovecot))
            return QStringLiteral("dovecot is not installed (dovecot-imapd, dovecot-pop3d)");
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            return QStringLiteral("openssl is not installed");
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        QString error;
        if (!makeCertificates(error))
            return error;

        // Dovecot's login processes refuse to run as root: as root, the
        // package's own users run them and own the mail.
        uid_t uid = ::getuid();
        gid_t gid = ::getgid();
        QByteArray internalUser, loginUser, groupName;
        if (uid == 0) {
            const passwd* dv = ::getpwnam("dovecot");
            const passwd* nobody = ::getpwnam("dovenull");
            if (!dv || !nobody)
                return QStringLiteral("running as root without the dovecot and dovenull users");
            uid = dv->pw_uid;
            gid = dv->pw_gid;
            internalUser = "dovecot";
            loginUser = "dovenull";
        } else {
            const passwd* me = ::getpwuid(uid);
            if (!me)
                return QStringLiteral("the current user has no name");
            internalUser = loginUser = me->pw_name;
        }
        const struct group* g = ::getgrgid(gid);
        if (!g)
            return QStringLiteral("the user's group has no name");
        groupName = g->gr_name;

        QByteArray passwd;
        for (const User& user : users) {
            passwd += user.name + ":{PLAIN}" + user.password + "::::::" + user.extra + "\n";
            const QString box = path("mail/" + user.name);
            for (const char* sub : {"cur", "new", "tmp"})
                QDir().mkpath(box + QLatin1Char('/') + QLatin1String(sub));
            int n = 0;
            for (const Message& m : user.messages) {
                ++n;
                // Dovecot numbers new files in the order of their names.
                const QString name = QStringLiteral("%1/cur/%2.M%3P1.brellix:2,%4")
                                         .arg(box)
                                         .arg(1700000000 + n)
                                         .arg(n)
                                         .arg(m.seen ? QStringLiteral("S") : QString());
                if (!write(name, m.content))
                    return QStringLiteral("cannot write %1").arg(name);
            }
        }
        if (!write(path("passwd"), passwd))
            return QStringLiteral("cannot write the passwd file");

        for (int& port : m_ports)
            port = freePort();
        const QByteArray d = m_dir.path().toUtf8();
        QByteArray conf;
        conf += "base_dir = " + d + "/run\n";
        conf += "state_dir = " + d + "/state\n";
        conf += "log_path = " + d + "/dovecot.log\n";
        conf += "protocols = imap pop3\nlisten = 127.0.0.1\nssl = yes\n";
        conf += "ssl_cert = <" + d + "/server.crt\nssl_key = <" + d + "/server.key\n";
        conf += "default_internal_user = " + internalUser + "\n";
        conf += "default_internal_group = " + groupName + "\n";
        conf += "default_login_user = " + loginUser + "\n";
        conf += "first_valid_uid = " + QByteArray::number(uid) + "\n";
        conf += "first_valid_gid = " + QByteArray::number(gid) + "\n";
        conf += "auth_failure_delay = 0\n";
        conf += "mail_location = maildir:" + d + "/mail/%u\n";
        conf += "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + d +
                "/passwd\n}\n";
        conf += "userdb {\n  driver = static\n  args = uid=" + QByteArray::number(uid) +
                " gid=" + QByteArray::number(gid) + " home=" + d + "/home/%u\n}\n";
        conf += "service imap-login {\n  chroot =\n  inet_listener imap {\n    port = " +
                QByteArray::number(imapPort()) +
                "\n  }\n  inet_listener imaps {\n    port = " + QByteArray::number(imapsPort()) +
                "\n    ssl = yes\n  }\n}\n";
        conf += "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    port = " +
                QByteArray::number(pop3Port()) +
                "\n  }\n  inet_listener pop3s {\n    port = " + QByteArray::number(pop3sPort()) +
                "\n    ssl = yes\n  }\n}\n";
        // No penalty for failed logins either.
        conf += "service anvil {\n  chroot =\n  unix_listener anvil-auth-penalty {\n    mode = 0\n"
                "  }\n}\n";
        conf += "service auth {\n  user = " + internalUser + "\n}\n";
        conf += "service auth-worker {\n  user = " + internalUser + "\n}\n";
        if (!write(path("dovecot.conf"), conf))
            return QStringLiteral("cannot write dovecot.conf");

        if (::getuid() == 0) {
            // The services reach the folder as the dovecot user.
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ReadOther |
                                                    QFile::ExeOther | QFile::ReadGroup |
                                                    QFile::ExeGroup);
            QProcess chown;
            chown.start(QStringLiteral("chown"),
                        QStringList{QStringLiteral("-R"),
                                    QString::number(uid) + ':' + QString::number(gid), path("mail"),
                                    path("passwd")});
            if (!chown.waitForFinished(10000) || chown.exitCode() != 0)
                return QStringLiteral("cannot give the fixtures to the dovecot user");
        }

        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(
            dovecot, QStringList{QStringLiteral("-F"), QStringLiteral("-c"), path("dovecot.conf")});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("dovecot does not start: %1").arg(m_process.errorString());
        for (int i = 0; i < 100; ++i) {
            bool up = true;
            for (int port : m_ports) {
                QTcpSocket probe;
                probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
                up = up && probe.waitForConnected(100);
            }
            if (up)
                return {};
            if (m_process.state() == QProcess::NotRunning)
                break;
            QThread::msleep(50);
        }
        return QStringLiteral("dovecot did not come up: %1 %2")
            .arg(QString::fromLocal8Bit(m_process.readAll()), log());
    }

    int imapPort() const { return m_ports[0]; }
    int imapsPort() const { return m_ports[1]; }
    int pop3Port() const { return m_ports[2]; }
    int pop3sPort() const { return m_ports[3]; }
    QString caFile() const { return path("ca.crt"); }
    QString otherCaFile() const { return path("other.crt"); }
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
        for (const QString& sub : {QStringLiteral("cur"), QStringLiteral("new")}) {
            const QStringList files =
                QDir(maildir(user) + QLatin1Char('/') + sub).entryList(QDir::Files);
            for (const QString& f : files) {
                const qsizetype info = f.indexOf(QLatin1String(":2,"));
                if (info < 0 || !f.mid(info + 3).contains(QLatin1Char('S')))
                    ++unread;
            }
        }
        return unread;
    }

private:
    static int freePort()
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        return s.serverPort();
    }

    static bool write(const QString& name, const QByteArray& content)
    {
        QFile f(name);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(content) == content.size();
    }

    // One openssl command, its arguments split at blanks.
    bool openssl(const QString& arguments, QString& error)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), arguments.split(QLatin1Char(' ')));
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return true;
        error = QStringLiteral("openssl %1 failed: %2")
                    .arg(arguments, QString::fromLocal8Bit(p.readAll()));
        return false;
    }

    bool makeCertificates(QString& error)
    {
        if (!write(path("ext.cnf"), "subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"))
            return false;
        const QString ec = QStringLiteral(
            "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ");
        for (const QString& ca : {QStringLiteral("ca"), QStringLiteral("other")}) {
            if (!openssl(QStringLiteral("req -x509 -days 2 ") + ec + ca + QStringLiteral(".key -out ") +
                             ca + QStringLiteral(".crt -subj /CN=Brellix_test_CA_") + ca,
                         error))
                return false;
        }
        return openssl(QStringLiteral("req ") + ec +
                           QStringLiteral("server.key -out server.csr -subj /CN=localhost"),
                       error) &&
               openssl(QStringLiteral("x509 -req -in server.csr -CA ca.crt -CAkey ca.key "
                                      "-CAcreateserial -out server.crt -days 2 -extfile ext.cnf"),
                       error);
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_ports[4] = {};
};
