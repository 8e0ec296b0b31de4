#include "app/RemoteAccess.h"
#include "platform/linux/bus/BusService.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray joined(const QSignalSpy& spy)
{
    QByteArray all;
    for (const QList<QVariant>& write : spy)
        all += write.at(0).toByteArray();
    return all;
}

// What the line writer sends for these four lines.
QByteArray frame(const QList<QByteArray>& lines)
{
    QByteArray out("\x0b");
    for (int i = 0; i < 4; ++i)
        out += lines.value(i).leftJustified(20, ' ');
    return out;
}

QVariantMap opts(std::initializer_list<std::pair<QString, QVariant>> list)
{
    QVariantMap map;
    for (const auto& [key, value] : list)
        map.insert(key, value);
    return map;
}

// Hears MessageDropped on a client's connection.
class DropListener : public QObject
{
    Q_OBJECT
public:
    QList<uint> ids;
public Q_SLOTS:
    void dropped(uint id) { ids << id; }
};
} // namespace

// The session bus interface end to end: a private dbus-daemon, the program
// on a simulated module with the interface published, clients of their own.
class TestRemote : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<ModuleApp> m_app;
    std::unique_ptr<BusService> m_service;
    int m_connections = 0;
    QList<QVariantMap>* m_heard = nullptr;

    QDBusConnection client() { return m_bus.connect(u"client%1"_s.arg(++m_connections)); }

    // The program showing mode, on the bus.
    TestApp& start(int mode)
    {
        m_app = std::make_unique<ModuleApp>(*m_platform);
        m_app->start("[Mode]\nmode=" + QByteArray::number(mode) + "\n");
        m_service = BusService::publish(m_app->c->remote(), client());
        return *m_app->c;
    }

    // The program answers on this thread: the call waits in an event loop.
    static QDBusMessage call(QDBusConnection bus, const QString& method, const QVariantList& args,
                             const QString& interface = BusService::Name)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(BusService::Name, BusService::Path,
                                                        interface, method);
        m.setArguments(args);
        return bus.call(m, QDBus::BlockWithGui, 5000);
    }
    static QDBusMessage show(QDBusConnection bus, const QStringList& lines, uint seconds,
                             const QVariantMap& options = {})
    {
        return call(bus, u"ShowMessage"_s, {lines, seconds, options});
    }
    static uint idOf(const QDBusMessage& reply) { return reply.arguments().value(0).toUInt(); }

public Q_SLOTS:
    void propertiesHeard(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (m_heard && interface == BusService::Name)
            *m_heard << changed;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + m_bus.error()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8()); // for brellixctl
        m_platform = std::make_unique<TestPlatform>();
    }
    void cleanup()
    {
        m_service.reset();
        m_app.reset();
    }

    void messageOverMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("dismissed"); // else it ends after its second
        QTest::newRow("large clock, dismissed") << 0 << true;
        QTest::newRow("time and date, ends") << 1 << false;
    }
    void messageOverMode()
    {
        QFETCH(int, mode);
        QFETCH(bool, dismissed);
        TestApp& c = start(mode);
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        QDBusConnection bus = client();
        const QDBusMessage reply =
            show(bus, {u"Backup done"_s, {}, u"12 files"_s}, 1, opts({{u"center"_s, true}}));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(joined(sent), frame({"    Backup done", "", "      12 files"}));
        QCOMPARE(c.lines().line(0), QByteArray("    Backup done"));
        const QDBusMessage lines = call(bus, u"Get"_s, {BusService::Name, u"Lines"_s},
                                        u"org.freedesktop.DBus.Properties"_s);
        QCOMPARE(lines.arguments().value(0).value<QDBusVariant>().variant().toStringList(),
                 QStringList({u"    Backup done"_s, {}, u"      12 files"_s, {}}));

        // The mode's refreshes write nothing meanwhile.
        sent.clear();
        m_app->ticks(3);
        QCOMPARE(joined(sent), QByteArray());

        if (dismissed)
            QCOMPARE(call(bus, u"Dismiss"_s, {idOf(reply)}).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(!sent.isEmpty(), 2000);
        m_app->ticks(1);
        const QByteArray after = joined(sent);
        // The same bytes as a fresh switch into the mode and its first tick.
        sent.clear();
        c.scheduler().selectMode(mode);
        m_app->ticks(1);
        QCOMPARE(after.toHex(' '), joined(sent).toHex(' '));
    }

    void alertInterrupts()
    {
        TestApp& c = start(1);
        QDBusConnection bus = client();
        const uint a = idOf(show(bus, {u"info A"_s}, 60));
        const uint b = idOf(show(bus, {u"info B"_s}, 60, opts({{u"priority"_s, u"info"_s}})));
        QCOMPARE(c.lines().line(0), QByteArray("info A"));
        const uint alert = idOf(show(bus, {u"ALERT"_s}, 60, opts({{u"priority"_s, u"alert"_s}})));
        QCOMPARE(c.lines().line(0), QByteArray("ALERT"));
        // Then the one interrupted, then the one that waited, then the mode.
        for (const auto& [id, next] : {std::pair{alert, QByteArray("info A")},
                                       std::pair{a, QByteArray("info B")},
                                       std::pair{b, QByteArray()}}) {
            QCOMPARE(call(bus, u"Dismiss"_s, {id}).type(), QDBusMessage::ReplyMessage);
            QCOMPARE(c.lines().line(0), next);
        }
        m_app->ticks(1);
        QTRY_COMPARE(m_app->module->module().line(2), QByteArray("London Time         "));
    }

    void flash_data()
    {
        QTest::addColumn<bool>("backlightOn");
        QTest::addColumn<bool>("dismissed"); // while dark, a plain message waiting
        QTest::newRow("backlight on") << true << false;
        QTest::newRow("backlight off") << false << false;
        QTest::newRow("dismissed, plain next") << true << true;
    }
    void flash()
    {
        QFETCH(bool, backlightOn);
        QFETCH(bool, dismissed);
        TestApp& c = start(1);
        QDBusConnection bus = client();
        QCOMPARE(call(bus, u"SetBacklight"_s, {backlightOn}).type(), QDBusMessage::ReplyMessage);
        QElapsedTimer clock;
        QList<std::pair<qint64, QByteArray>> changes;
        connect(&c.link(), &LcdLink::sent, this, [&](const QByteArray& bytes) {
            if (bytes == "\xfe\x06" || bytes == "\xfe\x07")
                changes.append({clock.elapsed(), bytes});
        });
        clock.start();
        const uint id = idOf(show(bus, {u"Backup done"_s}, dismissed ? 60 : 2, opts({{u"flash"_s, true}})));
        if (dismissed) {
            show(bus, {u"plain"_s}, 1);
            QTest::qWait(700);
            call(bus, u"Dismiss"_s, {id});
            QCOMPARE(changes.size(), 2); // dark at 500 ms, lit again at once
        }
        QTRY_VERIFY_WITH_TIMEOUT(!c.scheduler().held(), 4000);
        // Off and on from the chosen state, one change a half second, and
        // the chosen state at the end.
        QVERIFY2(changes.size() >= (dismissed ? 2 : 4) && changes.size() <= (dismissed ? 2 : 5),
                 qPrintable(QString::number(changes.size())));
        for (qsizetype i = 0; i < changes.size(); ++i) {
            const bool lit = (i % 2 == 1) == backlightOn;
            QCOMPARE(changes[i].second, QByteArray(lit ? "\xfe\x06" : "\xfe\x07"));
            if (i > 0 && i + 1 < changes.size())
                QVERIFY(changes[i].first - changes[i - 1].first >= 450);
        }
        QCOMPARE(changes.last().second, QByteArray(backlightOn ? "\xfe\x06" : "\xfe\x07"));
    }

    // PropertiesChanged says what changed, one announcement after another.
    void propertiesChanged()
    {
        TestApp& c = start(1);
        QDBusConnection bus = client();
        QList<QVariantMap> heard;
        QVERIFY(bus.connect(BusService::Name, BusService::Path, u"org.freedesktop.DBus.Properties"_s,
                            u"PropertiesChanged"_s, this,
                            SLOT(propertiesHeard(QString, QVariantMap, QStringList))));
        m_heard = &heard;
        QCOMPARE(show(bus, {u"hello"_s}, 60).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(heard.size(), 1);
        QCOMPARE(heard[0], QVariantMap({{u"Lines"_s, QStringList{u"hello"_s, {}, {}, {}}}}));
        call(bus, u"SetMode"_s, {2u});
        QTRY_COMPARE(heard.size(), 2);
        QCOMPARE(heard[1], QVariantMap({{u"Mode"_s, 2u}}));
        c.linkController().setPortPath(2, m_app->h.dirPath(u"none"_s));
        c.linkController().comMenuClicked(2);
        QTRY_COMPARE(heard.size(), 3);
        QCOMPARE(heard[2].value(u"Connected"_s), QVariant(false));
        QCOMPARE(heard[2].value(u"Port"_s), QVariant(m_app->h.dirPath(u"none"_s)));
        m_heard = nullptr;
    }

    void limits()
    {
        start(1);
        // 20 calls a second from one caller; the others are not counted with it.
        QDBusConnection busy = client();
        QList<QDBusPendingCall> calls;
        for (int i = 0; i < 21; ++i) {
            QDBusMessage m = QDBusMessage::createMethodCall(BusService::Name, BusService::Path,
                                                            BusService::Name, u"SetBacklight"_s);
            calls << busy.asyncCall(m << true);
        }
        for (QDBusPendingCall& pending : calls)
            QTRY_VERIFY(pending.isFinished());
        for (int i = 0; i < 21; ++i)
            QCOMPARE(calls[i].isError(), i == 20);
        QCOMPARE(calls[20].error().type(), QDBusError::LimitsExceeded);
        QCOMPARE(call(client(), u"SetBacklight"_s, {true}).type(), QDBusMessage::ReplyMessage);
        QTest::qWait(1000); // a second later, the busy caller may call again
        QCOMPARE(call(busy, u"SetBacklight"_s, {true}).type(), QDBusMessage::ReplyMessage);

        // 32 messages: each new one drops the oldest waiting info message
        // (its caller is told), alerts last; then an info one is refused.
        QList<QDBusConnection> callers{client(), client(), client(), client()};
        DropListener heard;
        for (QDBusConnection& bus : callers)
            QVERIFY(bus.connect(BusService::Name, BusService::Path, BusService::Name,
                                u"MessageDropped"_s, &heard, SLOT(dropped(uint))));
        for (uint i = 1; i <= 33; ++i)
            QCOMPARE(idOf(show(callers[i % 2], {u"info %1"_s.arg(i)}, 60)), i);
        QTRY_COMPARE(heard.ids, QList<uint>{2});
        for (uint i = 34; i <= 65; ++i)
            QCOMPARE(idOf(show(callers[2 + i % 2], {u"alert"_s}, 60,
                               opts({{u"priority"_s, u"alert"_s}}))),
                     i);
        QList<uint> infos;
        for (uint i = 1; i <= 33; ++i)
            infos << i;
        QTRY_COMPARE((std::sort(heard.ids.begin(), heard.ids.end()), heard.ids), infos);
        QCOMPARE(show(client(), {u"late"_s}, 60).errorName(),
                 u"org.freedesktop.DBus.Error.LimitsExceeded"_s);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("error");
        const QString invalid = u"org.freedesktop.DBus.Error.InvalidArgs"_s;
        const QStringList one{u"x"_s};
        QTest::newRow("0 seconds") << u"ShowMessage"_s << QVariantList{one, 0u, QVariantMap()} << invalid;
        QTest::newRow("3601 seconds") << u"ShowMessage"_s << QVariantList{one, 3601u, QVariantMap()} << invalid;
        QTest::newRow("no line") << u"ShowMessage"_s << QVariantList{QStringList(), 5u, QVariantMap()} << invalid;
        QTest::newRow("5 lines") << u"ShowMessage"_s
                                 << QVariantList{QStringList(5, u"x"_s), 5u, QVariantMap()} << invalid;
        QTest::newRow("priority") << u"ShowMessage"_s
                                  << QVariantList{one, 5u, opts({{u"priority"_s, u"urgent"_s}})} << invalid;
        QTest::newRow("flash text") << u"ShowMessage"_s
                                    << QVariantList{one, 5u, opts({{u"flash"_s, u"yes"_s}})} << invalid;
        QTest::newRow("mode 8") << u"SetMode"_s << QVariantList{8u} << invalid;
        QTest::newRow("level 255") << u"SetBrightness"_s
                                   << QVariantList{QVariant::fromValue(uchar(255))} << invalid;
        QTest::newRow("unknown id") << u"Dismiss"_s << QVariantList{7u}
                                    << u"io.github.brellix.Brellix1.Error.NoSuchMessage"_s;
    }
    void refusals()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(QString, error);
        TestApp& c = start(1);
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        QCOMPARE(call(client(), method, args).errorName(), error);
        QCOMPARE(joined(sent), QByteArray());
    }

    void hostileText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("control codes") << u"\x01\x1b[2J\r\n\x0b\x0d\x7f!"_s
                                       << QByteArray("??[2J?????" "!");
        QTest::newRow("0xFE and 0xFF") << u"\u00fe\x06\u00ff\x07"_s << QByteArray("??y?");
        QTest::newRow("accents, degree") << u"Caf\u00e9 21\u00b0C"_s << QByteArray("Cafe 21\xdf" "C");
        QTest::newRow("10 MB") << QString(10'000'000, u'\x1b') + u"x"_s << QByteArray(20, '?');
    }
    void hostileText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        TestApp& c = start(1);
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        QCOMPARE(show(client(), {text}, 5).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(joined(sent), frame({line}));
        QTRY_COMPARE(m_app->module->module().line(0), line.leftJustified(20, ' '));
    }

    void setModeSavedAtExit()
    {
        TestApp& c = start(1);
        QDBusConnection bus = client();
        // Chosen while a message shows: entered when it ends, saved at exit.
        const uint id = idOf(show(bus, {u"hold"_s}, 60));
        QCOMPARE(call(bus, u"SetMode"_s, {0u}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(c.lines().line(0), QByteArray("hold"));
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        call(bus, u"Dismiss"_s, {id});
        QCOMPARE(joined(sent).left(3), QByteArray("\x0d\xfe\x09"));
        c.lifecycle().requestQuit();
        QVERIFY(m_app->h.readIni().startsWith("[Mode]\nmode=0\n"));
    }

    void brellixctl_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("status") << true << QStringList{u"status"_s} << 0
                                << QByteArray("Mode: 1 (Time And Date)\nConnected: yes\n");
        QTest::newRow("message") << true
                                 << QStringList{u"message"_s, u"--seconds"_s, u"5"_s, u"--flash"_s,
                                                u"--center"_s, u"Backup done"_s}
                                 << 0 << QByteArray("1\n");
        QTest::newRow("backlight") << true << QStringList{u"backlight"_s, u"on"_s} << 0
                                   << QByteArray();
        QTest::newRow("mode by caption") << true << QStringList{u"mode"_s, u"cpu info"_s} << 0
                                         << QByteArray();
        QTest::newRow("brightness") << true << QStringList{u"brightness"_s, u"254"_s} << 0
                                    << QByteArray();
        QTest::newRow("refused") << true << QStringList{u"dismiss"_s, u"9"_s} << 1 << QByteArray();
        QTest::newRow("mode 8") << true << QStringList{u"mode"_s, u"8"_s} << 2 << QByteArray();
        QTest::newRow("5 lines") << true << QStringList{u"message"_s, u"1"_s, u"2"_s, u"3"_s,
                                                        u"4"_s, u"5"_s}
                                 << 2 << QByteArray();
        QTest::newRow("absent") << false << QStringList{u"status"_s} << 3 << QByteArray();
    }
    void brellixctl()
    {
        QFETCH(bool, running);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        if (running)
            start(1);
        QProcess ctl;
        ctl.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixctl"), args);
        // The event loop runs meanwhile: the program answers from here.
        QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 10000);
        QCOMPARE(ctl.exitCode(), code);
        QVERIFY2(ctl.readAllStandardOutput().startsWith(out), qPrintable(ctl.readAllStandardError()));
        if (args.contains(u"--center"_s))
            QCOMPARE(m_app->c->lines().line(0), QByteArray("    Backup done"));
    }
};

QTEST_GUILESS_MAIN(TestRemote)
#include "tst_remote.moc"
