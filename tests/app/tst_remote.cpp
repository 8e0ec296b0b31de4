#include "lcd/modLcdFunc.h"
#include "platform/linux/bus/SdBusService.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QtTest>

using namespace Qt::StringLiterals;

// The session bus interface end to end: a private dbus-daemon, one program
// on a simulated module with the interface published, clients of their own.
class TestRemote : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;
    TestPlatform m_platform;
    std::unique_ptr<ModuleApp> m_app;
    std::unique_ptr<SdBusService> m_service;
    int m_connections = 0;
    QList<QVariantMap> m_changes;
    QList<uint> m_dropped;

    TestApp& c() { return *m_app->c; }
    static QByteArray joined(const QSignalSpy& spy)
    {
        QByteArray all;
        for (const QList<QVariant>& write : spy)
            all += write.at(0).toByteArray();
        return all;
    }
    QDBusConnection client() { return m_bus.connect(u"client%1"_s.arg(++m_connections)); }

    // The program answers on this thread: the call waits in an event loop.
    static QDBusMessage call(QDBusConnection bus, const QString& method, const QVariantList& args,
                             const QString& interface = SdBusService::name())
    {
        QDBusMessage m = QDBusMessage::createMethodCall(SdBusService::name(), SdBusService::path(),
                                                        interface, method);
        m.setArguments(args);
        return bus.call(m, QDBus::BlockWithGui, 5000);
    }
    // The new message's id.
    static uint show(QDBusConnection bus, const QStringList& lines, uint seconds,
                     const QVariantMap& options = {})
    {
        return call(bus, u"ShowMessage"_s, {lines, seconds, options}).arguments().value(0).toUInt();
    }
    static bool dismiss(QDBusConnection bus, uint id)
    {
        return call(bus, u"Dismiss"_s, {id}).type() == QDBusMessage::ReplyMessage;
    }

public Q_SLOTS:
    void changed(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == SdBusService::name())
            m_changes << changed;
    }
    void dropped(uint id) { m_dropped << id; }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + m_bus.error()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8()); // for brellixctl
        m_app = std::make_unique<ModuleApp>(m_platform);
        m_app->start("[Mode]\nmode=1\n[Rotation]\nScreens=time,clock\n");
        m_service = SdBusService::publish(c().remote(), m_bus.address());
    }
    // Each check starts on the module in the time mode with no message shown
    // or waiting; ids are handed out in order, so a new alert's id bounds them.
    void init()
    {
        RemoteControl& remote = c().remote();
        for (uint id = remote.showBulletin(u"init"_s, {{u"x"_s}, 1, false, true}).id; id > 0; --id)
            remote.dismiss(u"init%1"_s.arg(id), id);
        if (!c().link().isOpen())
            c().linkController().comMenuClicked(1);
        QTRY_COMPARE(c().linkController().statusText(), LinkController::ConnectedStatus);
        c().scheduler().selectMode(1);
    }

    // The mode's refreshes write nothing under a message; after it (dismissed
    // over the large clock, its second over for the time) the mode is drawn
    // as when chosen afresh.
    void messageOverMode()
    {
        QDBusConnection bus = client();
        for (const int mode : {0, 1}) {
            c().scheduler().selectMode(mode);
            QSignalSpy sent(&c().link(), &LcdLink::sent);
            const uint id =
                show(bus, {u"Backup done"_s, {}, u"12 files"_s}, 1, {{u"center"_s, true}});
            QCOMPARE(joined(sent), "\x0b    Backup done" + QByteArray(25, ' ') + "      12 files" +
                                       QByteArray(26, ' '));
            sent.clear();
            m_app->ticks(3);
            QCOMPARE(joined(sent), QByteArray());
            if (mode == 0)
                QVERIFY(dismiss(bus, id));
            QTRY_VERIFY_WITH_TIMEOUT(!sent.isEmpty(), 2000);
            m_app->ticks(1);
            const QByteArray after = joined(sent);
            sent.clear();
            c().scheduler().selectMode(mode);
            m_app->ticks(1);
            QCOMPARE(after.toHex(' '), joined(sent).toHex(' '));
        }
    }

    void alertInterrupts()
    {
        QDBusConnection bus = client();
        const uint a = show(bus, {u"info A"_s}, 60);
        const uint b = show(bus, {u"info B"_s}, 60, {{u"priority"_s, u"info"_s}});
        const uint alert = show(bus, {u"ALERT"_s}, 60, {{u"priority"_s, u"alert"_s}});
        QCOMPARE(c().lines().line(0), QByteArray("ALERT"));
        // Then the one interrupted, then the one that waited, then the mode.
        for (const auto& [id, next] :
             {std::pair{alert, QByteArray("info A")}, std::pair{a, QByteArray("info B")},
              std::pair{b, QByteArray()}}) {
            QVERIFY(dismiss(bus, id));
            QCOMPARE(c().lines().line(0), next);
        }
    }

    // Off and on from the chosen state, one change a half second (so twice
    // in 2 s), and the chosen state at the end; dismissed while dark, lit
    // again at once.
    void flash()
    {
        QDBusConnection bus = client();
        for (const auto& [backlightOn, dismissed] :
             {std::pair{false, false}, std::pair{true, true}}) {
            QVERIFY(call(bus, u"SetBacklight"_s, {backlightOn}).errorName().isEmpty());
            QByteArray seen; // 1 lit, 0 dark
            QObject listening;
            connect(&c().link(), &LcdLink::sent, &listening, [&](const QByteArray& bytes) {
                if (bytes == "\xfe\x06" || bytes == "\xfe\x07")
                    seen += bytes == "\xfe\x06" ? '1' : '0';
            });
            const uint id = show(bus, {u"Backup done"_s}, dismissed ? 60 : 2, {{u"flash"_s, true}});
            const QByteArray cycle = backlightOn ? "01" : "10";
            if (dismissed) { // while dark, a plain message waiting
                show(bus, {u"plain"_s}, 1);
                QTest::qWait(700);
                QVERIFY(dismiss(bus, id));
                QCOMPARE(seen, cycle); // dark at 500 ms, lit again at once
            }
            QTRY_VERIFY_WITH_TIMEOUT(!c().scheduler().held(), 4000);
            QCOMPARE(seen, dismissed ? cycle : cycle + cycle);
        }
    }

    // Refused calls name their error and send nothing to the module.
    void refusals()
    {
        const QString invalid = u"org.freedesktop.DBus.Error.InvalidArgs"_s;
        const QString message = u"ShowMessage"_s;
        const QStringList one{u"x"_s};
        const std::tuple<const char*, QString, QVariantList, QString> rows[] = {
            {"0 seconds", message, {one, 0u, QVariantMap()}, invalid},
            {"3601 seconds", message, {one, 3601u, QVariantMap()}, invalid},
            {"no line", message, {QStringList(), 5u, QVariantMap()}, invalid},
            {"5 lines", message, {QStringList(5, u"x"_s), 5u, QVariantMap()}, invalid},
            {"priority", message, {one, 5u, QVariantMap{{u"priority"_s, u"urgent"_s}}}, invalid},
            {"flash text", message, {one, 5u, QVariantMap{{u"flash"_s, u"yes"_s}}}, invalid},
            {"mode past the table", u"SetMode"_s, {uint(c().scheduler().modeCount())}, invalid},
            {"unknown mode name", u"SelectMode"_s, {u"clocks"_s}, invalid},
            {"level 255", u"SetBrightness"_s, {QVariant::fromValue(uchar(255))}, invalid},
            {"unknown id",
             u"Dismiss"_s,
             {99999u},
             SdBusService::name() + u".Error.NoSuchMessage"_s},
        };
        QDBusConnection bus = client();
        QSignalSpy sent(&c().link(), &LcdLink::sent);
        for (const auto& [name, method, args, error] : rows)
            QCOMPARE(std::pair(name, call(bus, method, args).errorName()), std::pair(name, error));
        QCOMPARE(joined(sent), QByteArray());
    }

    // No control reaches the module; a long line is cut before it is encoded.
    void hostileText()
    {
        show(client(), {u"\x01\x1b[2J\r\n\u00fe\x06\u00ff\x07"_s + QString(10'000'000, u'\x1b')},
             5);
        QTRY_COMPARE(m_app->module->module().line(0), "??[2J????y?" + QByteArray(9, '?'));
    }

    // PropertiesChanged says what changed, one announcement after another.
    // A mode chosen while a message shows is entered when it ends.
    void propertiesChanged()
    {
        QDBusConnection bus = client();
        QVERIFY(bus.connect(SdBusService::name(), SdBusService::path(),
                            u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, this,
                            SLOT(changed(QString, QVariantMap, QStringList))));
        QTest::qWait(200); // the set-up's own announcements pass first
        m_changes.clear();
        const uint id = show(bus, {u"hello"_s}, 60);
        QTRY_COMPARE(m_changes.size(), 1);
        QCOMPARE(m_changes[0], QVariantMap({{u"Lines"_s, QStringList{u"hello"_s, {}, {}, {}}}}));
        QVERIFY(call(bus, u"SetMode"_s, {0u}).errorName().isEmpty());
        QTRY_COMPARE(m_changes.size(), 2);
        QCOMPARE(m_changes[1], QVariantMap({{u"Mode"_s, 0u}}));
        QCOMPARE(c().lines().line(0), QByteArray("hello"));
        QSignalSpy sent(&c().link(), &LcdLink::sent);
        QVERIFY(dismiss(bus, id));
        QCOMPARE(joined(sent).left(3), QByteArray("\x0d\xfe\x09"));
        QTRY_COMPARE(m_changes.size(), 3);
        const QString none = m_app->h.dirPath(u"none"_s);
        c().linkController().setPortPath(2, none);
        c().linkController().comMenuClicked(2);
        QTRY_COMPARE(m_changes.size(), 4);
        QCOMPARE(m_changes[3].value(u"Connected"_s), QVariant(false));
        QCOMPARE(m_changes[3].value(u"Port"_s), QVariant(none));
        // A mode chosen stops the rotation: both in one announcement.
        QVERIFY(call(bus, u"SetRotation"_s, {true}).errorName().isEmpty());
        QTRY_COMPARE(m_changes.size(), 5);
        QCOMPARE(m_changes[4], QVariantMap({{u"Rotation"_s, true}}));
        QVERIFY(call(bus, u"SelectMode"_s, {u"time"_s}).errorName().isEmpty());
        QTRY_COMPARE(m_changes.size(), 6);
        QCOMPARE(m_changes[5], QVariantMap({{u"Mode"_s, 1u}, {u"Rotation"_s, false}}));
    }

    void limits()
    {
        // 20 calls a second from one caller; the others are not counted with it.
        QDBusConnection busy = client();
        QList<QDBusPendingCall> calls;
        for (int i = 0; i < 21; ++i)
            calls << busy.asyncCall(
                QDBusMessage::createMethodCall(SdBusService::name(), SdBusService::path(),
                                               SdBusService::name(), u"SetBacklight"_s)
                << true);
        for (int i = 0; i < 21; ++i) {
            QTRY_VERIFY(calls[i].isFinished());
            QCOMPARE(calls[i].error().type(),
                     i < 20 ? QDBusError::NoError : QDBusError::LimitsExceeded);
        }
        QVERIFY(call(client(), u"SetBacklight"_s, {true}).errorName().isEmpty());
        QTest::qWait(1000); // a second later, the busy caller may call again
        QVERIFY(call(busy, u"SetBacklight"_s, {true}).errorName().isEmpty());

        // 32 messages: each new one drops the oldest waiting info message
        // (its caller is told), alerts last; then an info one is refused.
        m_dropped.clear();
        QList<QDBusConnection> callers{client(), client(), client(), client()};
        for (QDBusConnection& bus : callers)
            QVERIFY(bus.connect(SdBusService::name(), SdBusService::path(), SdBusService::name(),
                                u"MessageDropped"_s, this, SLOT(dropped(uint))));
        const uint first = show(callers[0], {u"info"_s}, 60);
        for (uint i = 1; i < 33; ++i)
            QCOMPARE(show(callers[i % 2], {u"info"_s}, 60), first + i);
        QTRY_COMPARE(m_dropped, QList<uint>{first + 1});
        for (uint i = 33; i < 65; ++i)
            QCOMPARE(show(callers[2 + i % 2], {u"alert"_s}, 60, {{u"priority"_s, u"alert"_s}}),
                     first + i);
        QList<uint> infos;
        for (uint i = 0; i < 33; ++i)
            infos << first + i;
        QTRY_COMPARE((std::sort(m_dropped.begin(), m_dropped.end()), m_dropped), infos);
        QCOMPARE(call(client(), u"ShowMessage"_s, {QStringList{u"late"_s}, 60u, QVariantMap()})
                     .errorName(),
                 u"org.freedesktop.DBus.Error.LimitsExceeded"_s);
    }

    // The Character Set menu's ROM is saved and reaches a message at once,
    // the one shown too: A00's ü, its β for ß and the degree sign; in ASCII
    // the accent goes and ß has no stand-in.
    void letters()
    {
        LinkController& link = c().linkController();
        const auto shown = [this] {
            const LcdModule& module = m_app->module->module();
            return (module.line(0) + '|' + module.line(1)).trimmed();
        };
        QSignalSpy sent(&c().link(), &LcdLink::sent);
        link.charactersMenuClicked(Characters::A00);
        QVERIFY(m_app->h.readIni().contains("[Display]\nCharacters=a00\n"));
        // The mode is switched into afresh, in the new ROM's codes.
        QVERIFY(joined(sent).startsWith(modLcdFunc::ClearScreen()));
        show(client(), {u"Straße 5 °C"_s, u"München"_s}, 60);
        QTRY_COMPARE(shown(), "Stra\xe2"
                              "e 5 \xdf"
                              "C" +
                                  QByteArray(9, ' ') + "|M\xf5nchen");
        link.charactersMenuClicked(Characters::Ascii);
        QTRY_COMPARE(shown(), "Stra?e 5 \xdf"
                              "C" +
                                  QByteArray(9, ' ') + "|Munchen");
        QVERIFY(m_app->h.readIni().contains("[Display]\nCharacters=ascii\n"));
    }

    // Exit codes: 1 refused, 2 wrong use, 3 no Brellix on the bus (so last).
    // A mode goes by number (SetMode) or by name (SelectMode): a short name
    // or a caption, in any case; each row, the mode after it (-1: as before).
    void brellixctl()
    {
        const struct
        {
            QString args;
            int code;
            QByteArray output;
            int mode;
        } rows[] = {
            {u"status"_s, 0, "Mode: 1 (time)\nRotation: off\nConnected: yes\n", 1},
            {u"rotate|on"_s, 0, {}, 1},
            {u"status"_s, 0, "Mode: 1 (time)\nRotation: on\n", 1},
            {u"message|--seconds|5|--flash|--center|Backup done"_s, 0, {}, 1},
            {u"backlight|on"_s, 0, {}, 1},
            {u"mode|cpu info"_s, 0, {}, 2},
            {u"status"_s, 0, "Mode: 2 (cpu)\nRotation: off\n", 2},
            {u"rotate|on"_s, 0, {}, 1},
            {u"rotate|off"_s, 0, {}, 1},
            {u"mode|NETWORK"_s, 0, {}, 3},
            {u"mode|0"_s, 0, {}, 0},
            {u"brightness|254"_s, 0, {}, 0},
            {u"dismiss|99999"_s, 1, {}, 0},
            {u"mode|%1"_s.arg(c().scheduler().modeCount()), 1, {}, 0},
            {u"mode|clocks"_s, 1, {}, 0},
            {u"mode|99999999999"_s, 2, {}, 0},
            {u"message|1|2|3|4|5"_s, 2, {}, 0},
            {u"rotate|maybe"_s, 2, {}, 0},
            {u"status"_s, 3, {}, 0},
        };
        for (const auto& row : rows) {
            if (row.code == 3)
                m_service.reset();
            QProcess ctl;
            ctl.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixctl"), row.args.split(u'|'));
            // The event loop runs meanwhile: the program answers from here.
            QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 10000);
            const QByteArray out = ctl.readAllStandardOutput();
            const int mode = c().scheduler().currentMode();
            QVERIFY2(ctl.exitCode() == row.code && out.startsWith(row.output) && mode == row.mode,
                     qPrintable(u"%1: exit %2, mode %3, output %4"_s.arg(row.args)
                                    .arg(ctl.exitCode())
                                    .arg(mode)
                                    .arg(QString::fromUtf8(out))));
            if (row.args.contains(u"--center"_s)) { // it printed the id
                QCOMPARE(c().lines().line(0), QByteArray("    Backup done"));
                QVERIFY(dismiss(client(), out.trimmed().toUInt()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRemote)
#include "tst_remote.moc"
