#include "screens/mail/MailSettings.h"
#include "support/DovecotServer.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

#include <ctime>

// The "POP Email" mode end to end: the settings file, the sign-on at the
// switch, a real Dovecot over verified TLS, the scheduler's 60-tick refresh,
// the line writer, the wire and the simulated module.
class TestMailMode : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;
    DovecotServer m_server;

    static QByteArray message(const QByteArray& from, const QByteArray& subject)
    {
        return "From: " + from + "\r\nSubject: " + subject +
               "\r\nDate: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\nHello.\r\n";
    }

    // The mail mode on the test server's account "many".
    QByteArray settings(const QByteArray& password) const
    {
        return "[Mode]\nmode=7\n[Mail]\nUrl=imaps://localhost:" +
               QByteArray::number(m_server.imapsPort()) +
               "/INBOX\nUser=many\nPasswordCommand=echo " + password +
               "\nCaFile=" + m_server.caFile().toUtf8() + "\n";
    }
    int logins(const QByteArray& user) const
    {
        return int(
            m_server.log().count(QStringLiteral("Login: user=<%1>").arg(QString::fromUtf8(user))));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TZ", "UTC0");
        ::tzset();
        QLocale::setDefault(QLocale::c());
        DovecotServer::User many{"many", "secret-many", {}};
        many.messages.append({message("Carl <carl@example.org>", "Read already"), true});
        many.messages.append({message("=?UTF-8?Q?Ren=C3=A9e_Fran=C3=A7ois?= <rf@example.org>",
                                      "=?UTF-8?B?TcO8bmNoZW4gdHJpcA==?="),
                              false});
        for (int i = 2; i <= 12; ++i)
            many.messages.append(
                {message("Ann <ann@example.org>", "Unread " + QByteArray::number(i)), false});
        const QString why = m_server.start({many});
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void mailMode()
    {
        ModuleApp p(m_platform);
        p.start(settings("secret-many"));
        TestApp& c = *p.c;
        PtyLcdModule* module = p.module;
        QCOMPARE(c.scheduler().selectedMode(), 7);

        // The switch signs on and refreshes at once, without a tick.
        QTRY_COMPARE_WITH_TIMEOUT(module->module().line(0), QByteArray("12 Unread Messages  "),
                                  15000);

        // New mail is seen on the 60th tick, not before.
        QFile mail(m_server.maildir("many") + QStringLiteral("/new/1800000000.M99P1.brellix"));
        QVERIFY(mail.open(QIODevice::WriteOnly));
        const QByteArray fresh = message("Zoe <z@example.org>", "Newest");
        QCOMPARE(mail.write(fresh), fresh.size());
        mail.close();
        for (int i = 0; i < 59; ++i)
            c.scheduler().tick();
        QTest::qWait(300);
        QCOMPARE(module->module().line(0), QByteArray("12 Unread Messages  "));
        c.scheduler().tick();
        QTRY_COMPARE_WITH_TIMEOUT(module->module().line(0), QByteArray("13 Unread Messages  "),
                                  15000);

        // Choosing the mode again refreshes over the same sign-on.
        c.scheduler().selectMode(1);
        c.scheduler().tick();
        QTRY_VERIFY(module->module().line(0) != QByteArray("13 Unread Messages  "));
        c.scheduler().selectMode(7);
        QTRY_COMPARE_WITH_TIMEOUT(module->module().line(0), QByteArray("13 Unread Messages  "),
                                  15000);
        QCOMPARE(logins("many"), 1);

        // Nothing shown was marked read.
        QCOMPARE(m_server.unreadFiles("many"), 13);
    }

    // A wrong password reaches the window as a notice; the Mail dialog's
    // change is used from the next choice of the mode.
    void wrongPassword()
    {
        ModuleApp p(m_platform);
        p.make(settings("wrong"));
        TestApp& c = *p.c;
        PtyLcdModule* module = p.module;
        QSignalSpy shown(&c.messages(), &Messages::shown);
        c.lifecycle().start();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 15000);
        const auto m = shown.first().first().value<UserMessage>();
        QVERIFY2(m.notice && m.category == MessageCategory::Mail &&
                     m.text.contains(QLatin1String("Authentication failed")),
                 qPrintable(m.text));
        QCOMPARE(module->module().line(0), QByteArray(20, ' '));

        MailSettings::Entries fixed = MailSettings::entries(c.ini());
        fixed.passwordCommand = QStringLiteral("echo secret-many");
        QVERIFY(MailSettings::save(c.ini(), fixed));
        c.scheduler().selectMode(1);
        c.scheduler().selectMode(7);
        QTRY_VERIFY_WITH_TIMEOUT(module->module().line(0).contains("Unread Messages"), 15000);
    }
};

QTEST_GUILESS_MAIN(TestMailMode)
#include "tst_mailmode.moc"
