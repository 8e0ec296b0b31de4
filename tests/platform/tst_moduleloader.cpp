#include "lcd/LcddConnection.h"
#include "platform/Mailbox.h"
#include "platform/MediaPlayerLink.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LoadedMqttTransport.h"
#include "platform/web/modWebservices.h"

#include <QtTest>

#include <dlfcn.h>
#include <optional>

using namespace Qt::StringLiterals;

// The plugins, loaded as the programs load them: only once a mode needs one,
// and only one built for this Brellix's interface.
class TestModuleLoader : public QObject
{
    Q_OBJECT

    static bool mapped(const QByteArray& library)
    {
        return ::dlopen(library.constData(), RTLD_NOW | RTLD_NOLOAD) != nullptr;
    }

private Q_SLOTS:
    void loadedOnFirstUseWhenItFits()
    {
        // The programs start without them.
        QVERIFY(!mapped("libcurl.so.4"));
        QVERIFY(!mapped("libQt6DBus.so.6"));
        QVERIFY(!mapped("libQt6Network.so.6"));
        QVERIFY(!mapped("libmosquitto.so.1"));
        QTest::failOnWarning(QRegularExpression(u"refused plugin|cannot load"_s));

        // error: the whole answer to the first use; empty for a plugin that
        // loads (nothing listens on port 1, so the answer is an error too).
        // LCDd's answer is its connection's status text.
        const struct
        {
            QString name;
            QByteArray dir; // BRELLIX_MODULE_DIR
            QString module;
            QByteArray file; // mapped once used, where it fits
            QString warning;
            QString error;
        } rows[] = {
            {u"missing"_s, "/nonexistent", u"mail"_s, "libcurl.so.4",
             u"cannot load libbrellix-mail.so: not found"_s,
             u"Mail support (libbrellix-mail.so) is not installed: not found"_s},
            {u"built for another version"_s, BRELLIX_OLD_PLUGIN_DIR, u"mail"_s,
             BRELLIX_OLD_PLUGIN_DIR "/libbrellix-mail.so",
             u"refused plugin: " BRELLIX_OLD_PLUGIN_DIR "/libbrellix-mail.so carries interface "
             "io.github.brellix.MailPlugin/0, this Brellix wants io.github.brellix.MailPlugin/1"_s,
             u"Mail support (libbrellix-mail.so) is not installed: " BRELLIX_OLD_PLUGIN_DIR
             "/libbrellix-mail.so carries interface io.github.brellix.MailPlugin/0, this Brellix "
             "wants io.github.brellix.MailPlugin/1"_s},
            {u"lcdd missing"_s, "/nonexistent", u"lcdd"_s, "libQt6Network.so.6",
             u"cannot load libbrellix-lcdd.so: not found"_s,
             u"LCDd Support Not Installed (libbrellix-lcdd.so: not found)"_s},
            {u"web"_s, BRELLIX_BIN_DIR, u"web"_s, BRELLIX_BIN_DIR "/libbrellix-web.so", {}, {}},
            {u"mail"_s, BRELLIX_BIN_DIR, u"mail"_s, BRELLIX_BIN_DIR "/libbrellix-mail.so", {}, {}},
            {u"player"_s,
             BRELLIX_BIN_DIR,
             u"player"_s,
             BRELLIX_BIN_DIR "/libbrellix-player.so",
             {},
             {}},
            {u"lcdd"_s, BRELLIX_BIN_DIR, u"lcdd"_s, BRELLIX_BIN_DIR "/libbrellix-lcdd.so", {}, {}},
            {u"mqtt missing"_s, "/nonexistent", u"mqtt"_s, "libmosquitto.so.1",
             u"cannot load libbrellix-mqtt.so: not found"_s,
             u"MQTT support (libbrellix-mqtt.so) is not installed: not found"_s},
            {u"mqtt"_s, BRELLIX_BIN_DIR, u"mqtt"_s, "libmosquitto.so.1", {}, {}},
        };
        for (const auto& row : rows) {
            qputenv("BRELLIX_MODULE_DIR", row.dir);
            const std::unique_ptr<Platform> platform = createLinuxPlatform();
            QVERIFY2(!mapped(row.file), qPrintable(row.name + u": mapped before use"_s));
            if (!row.warning.isEmpty())
                QTest::ignoreMessage(QtWarningMsg, qPrintable(row.warning));
            std::optional<QString> error;
            std::unique_ptr<Mailbox> box;
            modWebservices client(platform->webTransport(), {.timeoutMs = 5000});
            std::unique_ptr<WebRequest> request;
            std::unique_ptr<LcddConnection> lcdd;
            std::unique_ptr<MqttTransport> mqtt = deferredMqttTransport();
            MqttTransport::Events events;
            events.disconnected = [&](const QString& why) { error = why; };
            mqtt->setEvents(events);
            MqttEndpoint noBroker;
            noBroker.host = u"127.0.0.1"_s;
            noBroker.port = 1;
            noBroker.willTopic = "t";
            for (int use = 0; use < 2; ++use) { // the second says nothing more
                error.reset();
                if (row.module == u"mail") {
                    if (!box)
                        box = platform->openMailbox();
                    box->signOn(
                        {u"imaps://127.0.0.1:1/INBOX"_s, u"nobody"_s, {u"echo"_s, u"x"_s}, {}},
                        [&](const MailboxResult& r) { error = r.error; });
                } else if (row.module == u"lcdd") {
                    lcdd = platform->openLcddConnection();
                    QObject::connect(lcdd.get(), &LcddConnection::statusTextChanged,
                                     [&](const QString& status) { error = status; });
                    lcdd->setServer(u"127.0.0.1"_s, 1);
                    lcdd->start();
                } else if (row.module == u"mqtt") {
                    mqtt->open(noBroker);
                } else if (row.module == u"player") {
                    platform->mediaPlayer().start([&] { error = QString(); });
                } else {
                    request = client.FetchUrl(QUrl("http://127.0.0.1:1/"),
                                              [&](const auto& a) { error = a.error; });
                }
                QTRY_VERIFY_WITH_TIMEOUT(error, 40000);
                if (row.error.isEmpty())
                    QVERIFY2(!error->contains(u"not installed"_s, Qt::CaseInsensitive),
                             qPrintable(row.name + u": "_s + *error));
                else
                    QVERIFY2(*error == row.error,
                             qPrintable(row.name + u": got "_s + *error + u" want "_s + row.error));
            }
            QVERIFY2(mapped(row.file) == row.error.isEmpty(),
                     qPrintable(row.name + u": mapped "_s + QString::number(mapped(row.file))));
        }
        QVERIFY2(qEnvironmentVariableIsEmpty("BRELLIX_OLD_PLUGIN_RAN"),
                 "the plugin of another version was run");
        QVERIFY(mapped("libcurl.so.4"));
        QVERIFY(mapped("libQt6DBus.so.6"));
        QVERIFY(mapped("libQt6Network.so.6"));
        QVERIFY(mapped("libmosquitto.so.1"));
    }
};

QTEST_GUILESS_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
