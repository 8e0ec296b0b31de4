#include "platform/linux/mail/CurlMailbox.h"
#include "screens/mail/MailHeaders.h"
#include "support/DovecotServer.h"

#include <QElapsedTimer>
#include <QtTest>

#include <optional>

namespace {
QByteArray message(const QByteArray& subject)
{
    // The first header's first letter shows where the block was cut.
    return "Subject: " + subject + "\r\nFrom: Ann <ann@example.org>\r\n\r\nHello.\r\n";
}

// Waits on the event loop for the answer to a sign-on, or without an
// account to a check.
MailboxResult await(CurlMailbox& mailbox, const MailAccount* account = nullptr)
{
    std::optional<MailboxResult> got;
    const auto done = [&got](const MailboxResult& r) { got = r; };
    account ? mailbox.signOn(*account, done) : mailbox.check(done);
    (void)QTest::qWaitFor([&] { return got.has_value(); }, 20000);
    return got.value_or(MailboxResult{});
}

const QByteArray LongSubject = "Long " + QByteArray(195, 'x');
} // namespace

// The mailbox against a real Dovecot: IMAP and POP3, implicit TLS and
// STARTTLS, the password sources, and what must be refused.
class TestCurlMailbox : public QObject
{
    Q_OBJECT
    DovecotServer m_server;
    QTemporaryDir m_home;

    MailAccount account(const QString& kind, const QByteArray& user,
                        const QString& host = QStringLiteral("localhost")) const
    {
        const int port = kind == QLatin1String("imaps")   ? m_server.imapsPort()
                         : kind == QLatin1String("imap")  ? m_server.imapPort()
                         : kind == QLatin1String("pop3s") ? m_server.pop3sPort()
                                                          : m_server.pop3Port();
        MailAccount a;
        a.url = QStringLiteral("%1://%2:%3/").arg(kind, host).arg(port);
        a.user = QString::fromUtf8(user);
        a.passwordCommand = {QStringLiteral("echo"), QStringLiteral("secret-") + a.user};
        a.caFile = m_server.caFile();
        return a;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // No ~/.netrc but the test's own.
        qputenv("HOME", m_home.path().toUtf8());
        DovecotServer::User many{"many", "secret-many", {{message("Old news"), true}}};
        for (const QByteArray& subject :
             {LongSubject, QByteArray("Unread 2"), QByteArray("Unread 3")})
            many.messages.append({message(subject)});
        many.messages.append({message("Read last"), true});
        DovecotServer::User popMany = many;
        popMany.name = "popmany";
        popMany.password = "secret-popmany";
        // Without ESEARCH; the oldest unread message is past the first
        // window of searches.
        DovecotServer::User plain{"plain", "secret-plain", {}, "userdb_imap_capability=IMAP4rev1"};
        for (int i = 1; i <= 1002; ++i)
            plain.messages.append({message("Plain " + QByteArray::number(i)), i < 1002});
        const QString why = m_server.start(
            {{"empty", "secret-empty", {}}, {"one", "secret-one", {}}, many, popMany, plain});
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    // Two checks over one sign-on, the second after new mail came in:
    // the count and the first message's subject ("-": none read). Reading
    // never marks mail read.
    void check()
    {
        const std::tuple<const char*, QByteArray, qint64, QByteArray> rows[] = {
            {"imap", "empty", 0, "-"}, // STARTTLS
            {"pop3", "one", 0, "-"},
            // The oldest unread message, not the oldest message.
            {"imaps", "many", 3, LongSubject},
            // POP3 has no unread flag: every message counts, message 1 first.
            {"pop3s", "popmany", 5, "Old news"},
            {"imaps", "plain", 1, "Plain 1002"},
        };
        for (const auto& [kind, user, count, subject] : rows) {
            const int unread = m_server.unreadFiles(user);
            CurlMailbox mailbox;
            const MailAccount a = account(QLatin1String(kind), user);
            MailboxResult got = await(mailbox, &a);
            QVERIFY2(got.ok, qPrintable(got.error + m_server.log().right(600)));
            for (int round = 0; round < 2; ++round) {
                got = await(mailbox);
                QVERIFY2(got.ok, qPrintable(got.error));
                const QString read =
                    got.headersRead ? MailHeaders::parse(got.headers).subject : "-";
                QCOMPARE(user + ": " + QByteArray::number(got.count) + ' ' + read.toUtf8(),
                         user + ": " + QByteArray::number(count + round) + ' ' +
                             (round && !count ? "Just in" : subject));
                QFile f(m_server.maildir(user) + QStringLiteral("/new/1800000000.M1P1.brellix"));
                QVERIFY(round || (f.open(QIODevice::WriteOnly) && f.write(message("Just in"))));
            }
            QCOMPARE(m_server.unreadFiles(user), unread + 1);
        }
    }

    // What keeps a sign-on from happening, told without the password;
    // nothing can be checked after it.
    void refused()
    {
        const QString netrc = QDir::homePath() + QStringLiteral("/.netrc");
        const QStringList echo{QStringLiteral("echo"), QStringLiteral("secret-one")};
        const struct
        {
            const char* failure; // empty: signs on
            QStringList command;
            int netrcMode = 0; // 0: no file
            const char* kind = "pop3s";
            const char* host = "localhost";
            const char* ca = "server.crt"; // null: the system's store only
        } rows[] = {
            {"", {"printf", "secret-one\\nsecond line\\n"}},
            // What the command says is never part of a message: it may be the secret.
            {"failed (exit code 3)", {"sh", "-c", "echo secret-one; echo secret-one >&2; exit 3"}},
            {"said more than 4096 bytes", {"sh", "-c", "yes secret-one | head -c 100000000"}},
            {"cannot be started", {"/nonexistent/brellix-password"}},
            {"gave no password", {"true"}},
            {"", {}, 0600},
            {"chmod 600", {}, 0644},
            {"no password", {}},
            {"is not an imaps://", echo, 0, "imapx", "one:secret-one@localhost"},
            {"certificate", echo, 0, "imaps", "localhost", "other.crt"},
            {"certificate", echo, 0, "pop3", "localhost", "other.crt"}, // STARTTLS
            {"certificate", echo, 0, "imaps", "localhost", nullptr},
            {"127.0.0.1", echo, 0, "imaps", "127.0.0.1"},
            // The server's reason comes with the refusal; the command wins
            // over netrc.
            {"Login denied (server: [AUTH] Authentication failed", {"echo", "wrong"}, 0600},
        };
        for (const auto& r : rows) {
            QFile::remove(netrc);
            QFile f(netrc);
            QVERIFY(!r.netrcMode ||
                    (f.open(QIODevice::WriteOnly) &&
                     f.write("machine other.example login x password y\n"
                             "machine localhost login one password secret-one\n") > 0 &&
                     ::chmod(QFile::encodeName(netrc).constData(), mode_t(r.netrcMode)) == 0));
            f.close();
            MailAccount a = account(QLatin1String(r.kind), "one", QLatin1String(r.host));
            a.passwordCommand = r.command;
            a.caFile = r.ca ? m_server.path(QLatin1String(r.ca)) : QString();
            CurlMailbox mailbox;
            MailboxResult got = await(mailbox, &a);
            QVERIFY2(got.ok == !*r.failure && got.error.contains(QLatin1String(r.failure)) &&
                         !got.error.contains(QLatin1String("secret")),
                     qPrintable(r.failure + QStringLiteral(": ") + got.error));
            if (!got.ok) {
                got = await(mailbox);
                QVERIFY(!got.ok && got.count == -1);
            }
        }
    }

    // A plain imap:// server that does not offer STARTTLS, or refuses it,
    // never sees the login or the password, and its words reach the message
    // only as printable text. One that never says a word is given up after
    // the time limit without holding the event loop; ending with a request
    // under way does not wait for it.
    void unfitServers()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QByteArray capabilities, received;
        int connections = 0;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* s = server.nextPendingConnection();
            if (++connections > 2)
                return; // silent
            s->write("* OK IMAP4rev1 ready\r\n");
            // One command at a time: anything but CAPABILITY is refused.
            connect(s, &QTcpSocket::readyRead, s, [s, &received, &capabilities] {
                const QByteArray command = s->readAll();
                received += command;
                const QByteArray tag = command.split(' ').first();
                s->write(command.contains("CAPABILITY")
                             ? "* CAPABILITY " + capabilities + "\r\n" + tag + " OK done\r\n"
                             : tag + " NO \x1b[31mno\x1b]0;owned\x07\r\n");
            });
        });
        MailAccount a = account(QStringLiteral("imap"), "one");
        a.url = QStringLiteral("imap://localhost:%1/").arg(server.serverPort());
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start(100);
        QElapsedTimer clock;
        const std::pair<QByteArray, QString> rows[] = {
            {"IMAP4rev1 AUTH=PLAIN", "STARTTLS"},
            {"IMAP4rev1 STARTTLS AUTH=PLAIN", "\\x1b[31mno\\x1b]0;owned\\x07"},
            {"", "Timeout was reached"},
        };
        for (const auto& [offered, failure] : rows) {
            capabilities = offered;
            CurlMailbox mailbox(1500);
            clock.start();
            ticks = 0;
            const MailboxResult r = await(mailbox, &a);
            QVERIFY2(!r.ok && r.error.contains(failure), qPrintable(r.error));
            for (QChar c : r.error)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7F, qPrintable(r.error));
        }
        QVERIFY2(clock.elapsed() >= 1400 && clock.elapsed() < 6000 && ticks >= 10,
                 qPrintable(QStringLiteral("%1 ms, %2 ticks").arg(clock.elapsed()).arg(ticks)));
        const QByteArray upper = received.toUpper();
        QVERIFY2(!upper.contains("SECRET") && !upper.contains("LOGIN") &&
                     !upper.contains("AUTHENTICATE"),
                 received.constData());
        bool called = false;
        {
            CurlMailbox mailbox;
            mailbox.signOn(a, [&called](const MailboxResult&) { called = true; });
            QTRY_COMPARE(connections, 4);
            clock.restart();
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCoreApplication::processEvents();
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestCurlMailbox)
#include "tst_curlmailbox.moc"
