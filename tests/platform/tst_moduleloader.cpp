#include "platform/Mailbox.h"
#include "platform/MediaPlayerLink.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LoadedMailbox.h"
#include "platform/web/modWebservices.h"

#include <QtTest>

#include <dlfcn.h>
#include <optional>

using namespace Qt::StringLiterals;

// The modules, loaded as the programs load them: only once a mode needs one.
class TestModuleLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadedOnFirstUse()
    {
        // A missing module is said at the first sign-on; the program runs on.
        qputenv("BRELLIX_MODULE_DIR", "/nonexistent");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot load libbrellix-mail.so"));
        std::optional<MailboxResult> missing;
        const std::unique_ptr<Mailbox> absent = loadMailbox();
        absent->check([&](const MailboxResult& r) { missing = r; });
        QTRY_VERIFY(missing);
        QVERIFY2(!missing->ok && missing->error.contains("is not installed"),
                 qPrintable(missing->error));

        qputenv("BRELLIX_MODULE_DIR", BRELLIX_BIN_DIR);
        // What only the module maps (the first to map libcurl shows it); nothing listens on port 1.
        const std::pair<QString, QByteArray> rows[] = {
            {u"web"_s, "libcurl.so.4"},
            {u"mail"_s, BRELLIX_BIN_DIR "/libbrellix-mail.so"},
            {u"player"_s, "libQt6DBus.so.6"},
        };
        for (const auto& [module, library] : rows) {
            const std::unique_ptr<Platform> platform = createLinuxPlatform();
            QVERIFY(!::dlopen(library.constData(), RTLD_NOW | RTLD_NOLOAD));
            std::optional<QString> error;
            std::unique_ptr<Mailbox> box;
            modWebservices client(platform->webTransport(), {.timeoutMs = 5000});
            std::unique_ptr<WebRequest> request;
            if (module == u"mail") {
                box = platform->openMailbox();
                box->signOn({u"imaps://127.0.0.1:1/INBOX"_s, u"nobody"_s, {u"echo"_s, u"x"_s}, {}},
                            [&](const MailboxResult& r) { error = r.error; });
            } else if (module == u"player") {
                platform->mediaPlayer().start([&] { error = QString(); });
            } else {
                request = client.FetchUrl(QUrl("http://127.0.0.1:1/"),
                                          [&](const auto& a) { error = a.error; });
            }
            QTRY_VERIFY_WITH_TIMEOUT(error, 40000);
            QVERIFY2(!error->contains("not installed"), qPrintable(*error));
            QVERIFY(::dlopen(library.constData(), RTLD_NOW | RTLD_NOLOAD));
        }
    }
};

QTEST_GUILESS_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
