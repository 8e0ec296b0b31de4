#include "support/DovecotServer.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

// The "POP Email" mode wired end to end: the settings file, the sign-on at
// the switch, a real Dovecot over verified TLS, the scheduler's 60-tick
// refresh and the simulated module.
class TestMailMode : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;
    DovecotServer m_server;

    static QByteArray message(const QByteArray& subject)
    {
        return "From: Ann <ann@example.org>\r\nSubject: " + subject +
               "\r\nDate: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\nHello.\r\n";
    }

private Q_SLOTS:
    void initTestCase()
    {
        DovecotServer::User many{"many", "secret-many", {}};
        many.messages.append({message("Read already"), true});
        for (int i = 1; i <= 12; ++i)
            many.messages.append({message("Unread " + QByteArray::number(i)), false});
        const QString why = m_server.start({many});
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void mailMode()
    {
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=7\n[Mail]\nUrl=imaps://localhost:" +
                QByteArray::number(m_server.imapsPort()) +
                "/INBOX\nUser=many\nPasswordCommand=echo secret-many\nCaFile=" +
                m_server.caFile().toUtf8() + "\n");
        TestApp& c = *p.c;
        const auto line = [&p] { return p.module->module().line(0); };
        // The switch signs on and refreshes at once, without a tick.
        QTRY_COMPARE_WITH_TIMEOUT(line(), QByteArray("12 Unread Messages  "), 15000);

        // New mail is seen on the 60th tick, not before.
        QFile mail(m_server.maildir("many") + QStringLiteral("/new/1800000000.M99P1.brellix"));
        QVERIFY(mail.open(QIODevice::WriteOnly));
        QVERIFY(mail.write(message("Newest")) > 0);
        mail.close();
        p.ticks(59);
        QTest::qWait(300);
        QCOMPARE(line(), QByteArray("12 Unread Messages  "));
        p.ticks(1);
        QTRY_COMPARE_WITH_TIMEOUT(line(), QByteArray("13 Unread Messages  "), 15000);

        // Choosing the mode again refreshes over the same sign-on.
        c.scheduler().selectMode(1);
        p.ticks(1);
        QTRY_VERIFY(line() != QByteArray("13 Unread Messages  "));
        c.scheduler().selectMode(7);
        QTRY_COMPARE_WITH_TIMEOUT(line(), QByteArray("13 Unread Messages  "), 15000);
        QCOMPARE(m_server.log().count(QStringLiteral("Login: user=<many>")), 1);
        // Nothing shown was marked read.
        QCOMPARE(m_server.unreadFiles("many"), 13);
    }
};

QTEST_GUILESS_MAIN(TestMailMode)
#include "tst_mailmode.moc"
