#include "lcd/LcddOutput.h"
#include "lcd/LinkController.h"
#include "lcd/OutputSettings.h"
#include "platform/modINI.h"
#include "support/LinkHarness.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// LCDd's session as the output sees it, without a network.
struct FakeLcdd : LcddConnection
{
    void setServer(const QString& h, quint16 p) override { server = h + u':' + QString::number(p); }
    void start() override { running = true; }
    void stop() override { running = false; }
    bool active() const override { return running; }
    int width() const override { return size.width(); }
    int height() const override { return size.height(); }
    QString statusText() const override { return status; }
    void show(const LcddScreen& screen) override { shown.append(screen); }
    void say(const QString& text)
    {
        status = text;
        Q_EMIT statusTextChanged(text);
    }

    QString server;
    bool running = false;
    QSize size{20, 4};
    QString status;
    QList<LcddScreen> shown;
};

// A link controller without a port (no device behind any COM number) and a fake LCDd.
struct Controller
{
    explicit Controller(const QStringList& outputs)
    {
        LinkController::Configuration c;
        c.serialSettings = LcdLink::DefaultSettings;
        c.sliderPosition = 20;
        control.configure(c);
        OutputSettings s;
        s.outputs = outputs;
        control.configureOutputs(s);
    }
    void start()
    {
        if (control.serialOutput())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"No device for COM1"_s));
        control.connectAtStartup({});
    }
    LcddOutput& lcdd() { return *qobject_cast<LcddOutput*>(control.output(u"lcdd"_s)); }

    LcdLink link;
    FakeLcdd* fake = nullptr;
    LinkController control{link, {.lcdd = [this] {
                               auto f = std::make_unique<FakeLcdd>();
                               fake = f.get();
                               return f;
                           }}};
};

} // namespace

// Where the screens go: the outputs' settings, their choice, LCDd's screen from the model.
class TestOutputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // [Display] Output and [LCDd]: each refused value warned about, the default used.
    void settings()
    {
        const struct
        {
            const char* name;
            QByteArray ini;
            const char* expected; // outputs, host:port
            const char* warning = nullptr;
        } rows[] = {
            {"nothing set: the module", "", "serial 127.0.0.1:13666"},
            {"LCDd alone, any case", "[Display]\nOutput=LCDd\n[LCDd]\nHost=pi\nPort=1\n",
             "lcdd pi:1"},
            {"both, any order and spacing", "[Display]\nOutput= lcdd , Serial\n",
             "serial,lcdd 127.0.0.1:13666"},
            {"an unknown output", "[Display]\nOutput=serial,lcd\n", "serial 127.0.0.1:13666",
             "Output = \"serial,lcd\""},
            {"an output twice", "[Display]\nOutput=lcdd,lcdd\n", "serial 127.0.0.1:13666",
             "Output = \"lcdd,lcdd\""},
            {"a port out of range", "[LCDd]\nPort=70000\n", "serial 127.0.0.1:13666",
             "Port = \"70000\""},
            {"a host with a space", "[LCDd]\nHost=my pi\n", "serial 127.0.0.1:13666",
             "Host = \"my pi\""},
        };
        for (const auto& row : rows) {
            LinkHarness h;
            h.writeIni(row.ini);
            if (row.warning)
                QTest::ignoreMessage(QtWarningMsg,
                                     QRegularExpression(QRegularExpression::escape(row.warning)));
            const OutputSettings s = OutputSettings::load(modINI(h.iniPath()));
            QCOMPARE(u"%1: %2 %3:%4"_s.arg(row.name, s.outputText(), s.host).arg(s.port),
                     u"%1: %2"_s.arg(row.name, row.expected));
        }
        // --lcdd's server over the settings' own; null: refused, nothing changed.
        const std::pair<const char*, const char*> servers[] = {
            {"box:7", "box:7"}, {"[::1]:7", "::1:7"}, {":99", "pi:99"},
            {"box", "box:1"},   {"h:0", nullptr},     {"a b:7", nullptr},
            {"[::1", nullptr},  {"h:+7", nullptr},    {"[::1]x:7", nullptr},
        };
        for (const auto& [text, expected] : servers) {
            OutputSettings s;
            s.host = u"pi"_s;
            s.port = 1;
            const bool ok = s.setServer(QString::fromLatin1(text));
            QCOMPARE(u"%1 -> %2"_s.arg(text, ok ? s.host + u':' + QString::number(s.port) : u"-"_s),
                     u"%1 -> %2"_s.arg(text, expected ? expected : "-"));
        }
    }

    // The outputs chosen by the settings or the menu: the status bar names each one's
    // state in the table's order; the slider is there only for the module.
    void choice()
    {
        enum Click { None, LcddItem, Com1, SerialItem, UnknownItem };
        const struct
        {
            const char* name;
            const char* outputs;
            Click click;
            const char* lcdd;     // what LCDd says after the start
            const char* expected; // outputs | status | slider | outputsChanged | LCDd running
        } rows[] = {
            {"the module alone", "serial", None, "", "serial|LCD Connection Status|1|0|0"},
            {"LCDd alone, not answered yet", "lcdd", None, "", "lcdd|LCD Connection Status|0|0|1"},
            {"LCDd alone, connected", "lcdd", None, "LCDd Connected", "lcdd|LCDd Connected|0|0|1"},
            {"both", "serial,lcdd", None, "LCDd Not Found At h:1",
             "serial,lcdd|LCD Connection Status - LCDd Not Found At h:1|1|0|1"},
            {"LCDd's item: LCDd alone", "serial,lcdd", LcddItem, "LCDd Connected",
             "lcdd|LCDd Connected|0|1|1"},
            {"LCDd's item, LCDd alone already", "lcdd", LcddItem, "",
             "lcdd|LCD Connection Status|0|0|1"},
            {"a COM item: the module alone again", "lcdd", Com1, "LCDd Connected",
             "serial|LCD Not Found On Com 1|1|1|0"},
            {"the module is no other output's item", "lcdd", SerialItem, "",
             "lcdd|LCD Connection Status|0|0|1"},
            {"an unknown output's item", "lcdd", UnknownItem, "",
             "lcdd|LCD Connection Status|0|0|1"},
        };
        for (const auto& row : rows) {
            Controller c(QString::fromLatin1(row.outputs).split(u','));
            QSignalSpy changes(&c.control, &LinkController::outputsChanged);
            c.start();
            if (*row.lcdd)
                c.fake->say(QString::fromLatin1(row.lcdd));
            if (row.click == Com1) {
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"No device for COM1"_s));
                c.control.comMenuClicked(1);
            } else if (row.click != None) {
                const char* item[] = {"", "lcdd", "", "serial", "mqtt"};
                c.control.outputMenuClicked(QString::fromLatin1(item[row.click]));
            }
            const QString got =
                u"%1|%2|%3|%4|%5"_s.arg(c.control.outputs().join(u','), c.control.statusText())
                    .arg(c.control.sliderEnabled())
                    .arg(changes.count())
                    .arg(c.fake && c.fake->running);
            QVERIFY2(got == QLatin1String(row.expected),
                     qPrintable(u"%1: got %2, want %3"_s.arg(row.name, got, row.expected)));
        }
    }

    // The backlight buttons and the slider, on the model whether or not a port is open:
    // slider position 0 is the brightest, and it does nothing while the light is off.
    void backlightAndSlider()
    {
        enum Step { Slider, Off, On };
        const struct
        {
            Step step;
            int position;
            int brightness;
            bool light;
        } rows[] = {
            {Slider, 100, 154, true}, {Slider, -5, 254, true}, {Slider, 300, 0, true},
            {Off, 0, 0, false},       {Slider, 50, 0, false},  {On, 0, 0, true},
            {Slider, 50, 204, true},
        };
        Controller c({"serial"});
        for (const auto& row : rows) {
            if (row.step == Slider)
                c.control.sliderMoved(row.position);
            else if (row.step == Off)
                c.control.backlightOffClicked();
            else
                c.control.backlightOnClicked();
            const DisplayModel& m = c.control.model();
            QCOMPARE(std::tuple(int(row.step), row.position, int(m.brightness()), m.backlight(),
                                c.control.sliderEnabled()),
                     std::tuple(int(row.step), row.position, row.brightness, row.light, row.light));
        }
    }

    // LCDd gets one screen a turn of the event loop, from the model in LCDd's size,
    // and a whole one at a new session; nothing while it is not an output.
    void lcddFollowsModel()
    {
        Controller c({"lcdd"});
        LcdLink& link = c.link;
        link.SendLcd("before");
        c.start();
        QCOMPARE(c.fake->server, u"127.0.0.1:13666"_s);
        QSignalSpy changed(&c.lcdd(), &LcddOutput::screenChanged);
        link.SendLcd("\x0b"
                     "one");
        link.SendLcd("\x0b"
                     "two");
        QTest::qWait(10);
        QCOMPARE(c.fake->shown.size(), 1);
        QCOMPARE(c.fake->shown[0].rows[0], QByteArray("twoore"));
        link.SendLcd("\x0b"
                     "two"); // the same screen: the picture is not told
        QTest::qWait(10);
        QCOMPARE(changed.count(), 1);
        c.fake->size = QSize(3, 1);
        Q_EMIT c.fake->sessionStarted();
        QCOMPARE(c.fake->shown.last().rows, (std::array<QByteArray, 4>{"two", "", "", ""}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"No device for COM1"_s));
        c.control.comMenuClicked(1);
        const qsizetype shown = c.fake->shown.size();
        link.SendLcd("\x0b"
                     "six");
        QTest::qWait(10);
        QCOMPARE(std::pair(c.fake->running, c.fake->shown.size()), std::pair(false, shown));
    }
};

QTEST_GUILESS_MAIN(TestOutputs)
#include "tst_outputs.moc"
