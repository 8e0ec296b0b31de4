#include "platform/Mailbox.h"
#include "platform/MediaPlayerLink.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LoadedMailbox.h"
#include "platform/web/modWebservices.h"

#include <QtTest>

#include <dlfcn.h>
#include <optional>

// The modules, loaded as the programs load them: only once a mode needs one.
class TestModuleLoader : public QObject
{
    Q_OBJECT

    static bool mapped(const QByteArray& library)
    {
        return ::dlopen(library.constData(), RTLD_NOW | RTLD_NOLOAD) != nullptr;
    }

    // What the mode does first; the error of its first answer, "" for none.
    static QString firstUse(Platform& platform, const QString& module)
    {
        QString error;
        bool done = false;
        std::unique_ptr<Mailbox> box;
        modWebservices client(platform.webTransport(), {.timeoutMs = 5000});
        std::unique_ptr<WebRequest> request;
        if (module == u"mail") {
            MailAccount account;
            account.url = QStringLiteral("imaps://127.0.0.1:1/INBOX");
            account.user = QStringLiteral("nobody");
            account.passwordCommand = {QStringLiteral("echo"), QStringLiteral("x")};
            box = platform.openMailbox();
            box->signOn(account, [&](const MailboxResult& r) {
                error = r.error;
                done = true;
            });
        } else if (module == u"player") {
            platform.mediaPlayer().start([&] { done = true; });
        } else {
            request = client.FetchUrl(QUrl("http://127.0.0.1:1/"), [&](const auto& a) {
                error = a.error;
                done = true;
            });
        }
        return QTest::qWaitFor([&] { return done; }, 40000) ? error : QStringLiteral("no answer");
    }

private Q_SLOTS:
    // A missing module is said at the first sign-on; the program runs on.
    void missingModule()
    {
        qputenv("BRELLIX_MODULE_DIR", "/nonexistent");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot load libbrellix-mail.so"));
        // Beside the test program there is no module either.
        const std::unique_ptr<Mailbox> box = loadMailbox();
        std::optional<MailboxResult> result;
        box->check([&](const MailboxResult& r) { result = r; });
        QTRY_VERIFY(result);
        QVERIFY(!result->ok);
        QVERIFY2(result->error.contains("is not installed"), qPrintable(result->error));
    }

    void loadedOnFirstUse_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("library"); // what only the module maps
        // The web and mail modules both map libcurl: the first shows it.
        QTest::newRow("web") << "web" << QByteArray("libcurl.so.4");
        QTest::newRow("mail") << "mail" << QByteArray(BRELLIX_BIN_DIR "/libbrellix-mail.so");
        QTest::newRow("player") << "player" << QByteArray("libQt6DBus.so.6");
    }

    void loadedOnFirstUse()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, library);
        qputenv("BRELLIX_MODULE_DIR", BRELLIX_BIN_DIR);
        const std::unique_ptr<Platform> platform = createLinuxPlatform();
        QVERIFY(!mapped(library));
        const QString error = firstUse(*platform, module); // nothing listens on port 1
        QVERIFY2(!error.contains("not installed") && error != u"no answer", qPrintable(error));
        QVERIFY(mapped(library));
    }
};

QTEST_GUILESS_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
