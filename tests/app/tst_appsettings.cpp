#include "app/AppSettings.h"
#include "platform/modINI.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"
#include "support/LinkHarness.h"

#include <QRegularExpression>

namespace {

// A fixed underlying type: rows name the ports after Com1 as Com1 + n.
enum Field : int { Port, Setting, Dest, Symbol, City, Country, Light, Zone, Dst, Stock, Wx, Mode, Com1 };

// Every field of the sections read at start-up as text, in Field order.
QStringList fields(const modINI& ini)
{
    const AppSettings s = AppSettings::load(ini);
    const WorldTimeSettings t = WorldTimeSettings::load(ini);
    const StockSettings st = StockSettings::load(ini);
    const WeatherSettings w = WeatherSettings::load(ini);
    QStringList f{s.CommPortText, s.SerialSettings, t.DestinationName(),
                  st.StockSymbol, w.WeatherCity,    w.WeatherCountry};
    for (int n : {s.Backlight, int(t.ZoneIndex()), int(t.ObserveDaylight()), st.StockUpdateSeconds,
                  w.WeatherUpdateSeconds, s.CurrentMode})
        f << QString::number(n);
    return f << QStringList(s.Ports.begin(), s.Ports.end());
}

} // namespace

class tst_AppSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("bad"); // the default a refused value falls back to
        const QStringList defaults{
            "1",          "9600,n,8,1", "London",     "",           "",           "",
            "0",          "13",         "0",          "300",        "1800",       "0",
            "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyS5"};
        using Changes = std::initializer_list<std::pair<Field, const char*>>;
        const auto row = [&](const char* name, const QByteArray& file, Changes changes,
                             const char* bad = "") {
            QStringList expected = defaults;
            for (const auto& [f, v] : changes)
                expected[f] = QString::fromUtf8(v);
            QTest::newRow(name) << file << expected << QString::fromUtf8(bad);
        };
        row("no file", nullptr, {});
        row("empty values",
            "[Settings]\nCommPort=\nBacklight=\n[Stock]\nUpdate=\n[Ports]\nCOM1=", {});
        row("Settings", "[Settings]\nCommPort= +3 \nSetting=19200,n,8,1\nBacklight=254",
            {{Port, "+3"}, {Setting, "19200,n,8,1"}, {Light, "254"}});
        row("CommPort not a number", "[Settings]\nCommPort=COM3", {}, "1");
        row("Backlight above", "[Settings]\nBacklight=255", {}, "0");
        row("Backlight 100 + 2^64", "[Settings]\nBacklight=18446744073709551716", {}, "0");
        // Once the dialog has saved a zone, an empty name stays empty.
        row("Zone 16-bit bottom", "[TimeZone]\nZone=-32768", {{Zone, "-32768"}, {Dest, ""}});
        row("Zone beyond 16 bits", "[TimeZone]\nZone=32768", {{Dest, ""}}, "13");
        row("TimeZone", "[TimeZone]\nDestination=Tokyo\nDaylight=-1",
            {{Dest, "Tokyo"}, {Dst, "1"}});
        row("Daylight text", "[TimeZone]\nDaylight=yes", {}, "0");
        row("Stock", "[Stock]\nSymbol=ACME\nUpdate=546", {{Symbol, "ACME"}, {Stock, "32760"}});
        row("Stock Update above", "[Stock]\nUpdate=547", {}, "5");
        row("Weather; each section its own Update",
            "[Weather]\nCity=Zürich\nCountry=CH\nUpdate=10\n[Stock]\nUpdate=2",
            {{City, "Zürich"}, {Country, "CH"}, {Wx, "600"}, {Stock, "120"}});
        row("mode out of 0..7 kept", "[Mode]\nmode=8", {{Mode, "8"}});
        row("mode beyond 16 bits", "[Mode]\nmode=40000", {}, "0");
        row("Ports", "[Ports]\nCOM1=/dev/serial/by-id/usb-FTDI-if00\nCOM6=/dev/ttyUSB0",
            {{Com1, "/dev/serial/by-id/usb-FTDI-if00"}, {Field(Com1 + 5), "/dev/ttyUSB0"}});
    }
    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, bad);
        LinkHarness h;
        if (!file.isNull())
            h.writeIni(file);
        const QString value = QString::fromUtf8(file.mid(file.indexOf('=') + 1)).trimmed();
        if (!bad.isEmpty()) // the warning names the value and the default used
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QStringLiteral("= \"%1\".*default %2$")
                                                     .arg(QRegularExpression::escape(value), bad)));
        QTEST(fields(modINI(h.iniPath())), "expected");
    }
};

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_appsettings.moc"
