#include "platform/linux/LoadedMailbox.h"

#include <QCoreApplication>
#include <QtTest>

#include <dlfcn.h>

// The mail module, loaded when mail is first needed.
class TestLoadedMailbox : public QObject
{
    Q_OBJECT

    static bool curlMapped() { return ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD) != nullptr; }

    static MailboxResult signOn(Mailbox& box)
    {
        MailboxResult got;
        bool done = false;
        MailAccount account;
        account.url = QStringLiteral("imaps://127.0.0.1:1/INBOX");
        account.user = QStringLiteral("nobody");
        account.passwordCommand = {QStringLiteral("echo"), QStringLiteral("x")};
        box.signOn(account, [&](const MailboxResult& r) {
            got = r;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 40000))
            got.error = QStringLiteral("no answer");
        return got;
    }

private Q_SLOTS:
    // A missing module is said at the first sign-on; the program runs on.
    void missingModule()
    {
        qputenv("BRELLIX_MAIL_MODULE", "/nonexistent/libbrellix-mail.so");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no mail support"));
        // Beside the test program there is no module either.
        const std::unique_ptr<Mailbox> box = loadMailbox();
        const MailboxResult result = signOn(*box);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains("is not installed"), qPrintable(result.error));
    }

    // libcurl is mapped only once mail is asked for, through the module.
    void loadedOnFirstUse()
    {
        QVERIFY(!curlMapped());
        qputenv("BRELLIX_MAIL_MODULE", BRELLIX_BIN_DIR "/libbrellix-mail.so");
        const std::unique_ptr<Mailbox> box = deferredMailbox();
        QVERIFY(!curlMapped());
        const MailboxResult result = signOn(*box); // nothing listens on port 1
        QVERIFY(!result.ok);
        QVERIFY2(!result.error.contains("is not installed"), qPrintable(result.error));
        QVERIFY(curlMapped());
    }
};

QTEST_GUILESS_MAIN(TestLoadedMailbox)
#include "tst_loadedmailbox.moc"
