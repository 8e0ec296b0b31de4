#include "platform/AppSettings.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Any field as text, so one table can cover all of them.
QString field(const AppSettings& s, const QString& name)
{
    const std::pair<const char*, QString> fields[] = {
        {"CommPortText", s.CommPortText},
        {"SerialSettings", s.SerialSettings},
        {"Backlight", QString::number(s.Backlight)},
        {"ZoneIndex", QString::number(s.ZoneIndex)},
        {"DestinationName", s.DestinationName},
        {"ObserveDaylight", s.ObserveDaylight ? QStringLiteral("true") : QStringLiteral("false")},
        {"StockSymbol", s.StockSymbol},
        {"StockUpdateSeconds", QString::number(s.StockUpdateSeconds)},
        {"WeatherCity", s.WeatherCity},
        {"WeatherCountry", s.WeatherCountry},
        {"WeatherUpdateSeconds", QString::number(s.WeatherUpdateSeconds)},
        {"CurrentMode", QString::number(s.CurrentMode)},
        {"COM1", s.Ports[0]},
        {"COM6", s.Ports[5]},
    };
    for (const auto& [n, v] : fields) {
        if (name == QLatin1String(n))
            return v;
    }
    return QStringLiteral("<no field %1>").arg(name);
}

// One key in one section; a null value leaves the key out. badDefault marks
// a value that must be rejected with a warning naming that default.
void row(const char* name, const char* section, const char* key, const char* value,
         const char* fieldName, const char* expected, const char* badDefault = nullptr)
{
    QByteArray file = QByteArray("[") + section + "]\n";
    if (value)
        file += QByteArray(key) + '=' + value + '\n';
    QString warning;
    if (badDefault) {
        warning = QRegularExpression::escape(QStringLiteral("[%1] %2 = \"%3\"")
                                                 .arg(QLatin1String(section), QLatin1String(key),
                                                      QString::fromUtf8(value).trimmed())) +
                  QStringLiteral(".*default ") + QRegularExpression::escape(badDefault) + u'$';
    }
    QTest::newRow(name) << file << fieldName << expected << warning;
}

} // namespace

class tst_AppSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void load_data();
    void load();
    void portPath_data();
    void portPath();
};

void tst_AppSettings::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void tst_AppSettings::load_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("warning"); // pattern of the one expected warning

    const std::pair<const char*, const char*> defaults[] = {
        {"CommPortText", "1"},
        {"SerialSettings", "9600,n,8,1"},
        {"Backlight", "0"},
        {"ZoneIndex", "13"},
        {"DestinationName", "London"},
        {"ObserveDaylight", "false"},
        {"StockSymbol", ""},
        {"StockUpdateSeconds", "300"},
        {"WeatherCity", ""},
        {"WeatherCountry", ""},
        {"WeatherUpdateSeconds", "1800"},
        {"CurrentMode", "0"},
        {"COM1", "/dev/ttyS0"},
        {"COM6", "/dev/ttyS5"},
    };
    for (const auto& [name, value] : defaults) {
        QTest::addRow("no file: %s", name) << QByteArray() << name << value << QString();
        QTest::addRow("empty file: %s", name) << QByteArray("") << name << value << QString();
    }

    row("CommPort plain", "Settings", "CommPort", "3", "CommPortText", "3");
    row("CommPort kept as written", "Settings", "CommPort", " +3 ", "CommPortText", "+3");
    row("CommPort beyond the menu", "Settings", "CommPort", "99", "CommPortText", "99");
    row("CommPort negative", "Settings", "CommPort", "-1", "CommPortText", "-1");
    row("CommPort empty", "Settings", "CommPort", "", "CommPortText", "1");
    row("CommPort name", "Settings", "CommPort", "COM3", "CommPortText", "1", "1");
    row("CommPort trailing junk", "Settings", "CommPort", "3x", "CommPortText", "1", "1");
    row("CommPort sign only", "Settings", "CommPort", "+", "CommPortText", "1", "1");

    row("Setting", "Settings", "Setting", "19200,n,8,1", "SerialSettings", "19200,n,8,1");
    row("Setting empty", "Settings", "Setting", "", "SerialSettings", "9600,n,8,1");

    row("Backlight low end", "Settings", "Backlight", "0", "Backlight", "0");
    row("Backlight high end", "Settings", "Backlight", "254", "Backlight", "254");
    row("Backlight signed", "Settings", "Backlight", "+100", "Backlight", "100");
    row("Backlight above", "Settings", "Backlight", "255", "Backlight", "0", "0");
    row("Backlight below", "Settings", "Backlight", "-1", "Backlight", "0", "0");
    row("Backlight exponent", "Settings", "Backlight", "1e2", "Backlight", "0", "0");
    row("Backlight hex", "Settings", "Backlight", "0x10", "Backlight", "0", "0");
    row("Backlight wraps to 100 in 64 bits", "Settings", "Backlight", "18446744073709551716",
        "Backlight", "0", "0");

    row("Zone in table", "TimeZone", "Zone", "31", "ZoneIndex", "31");
    row("Zone out of table kept", "TimeZone", "Zone", "40", "ZoneIndex", "40");
    row("Zone negative kept", "TimeZone", "Zone", "-5", "ZoneIndex", "-5");
    row("Zone 16-bit top", "TimeZone", "Zone", "32767", "ZoneIndex", "32767");
    row("Zone 16-bit bottom", "TimeZone", "Zone", "-32768", "ZoneIndex", "-32768");
    row("Zone beyond 16 bits", "TimeZone", "Zone", "32768", "ZoneIndex", "13", "13");
    row("Zone wraps to 1 in 16 bits", "TimeZone", "Zone", "65537", "ZoneIndex", "13", "13");
    row("Zone text", "TimeZone", "Zone", "London", "ZoneIndex", "13", "13");
    row("Zone missing", "TimeZone", "Other", "1", "ZoneIndex", "13");

    row("Destination", "TimeZone", "Destination", "Tokyo", "DestinationName", "Tokyo");
    row("Destination empty", "TimeZone", "Destination", "", "DestinationName", "London");
    QTest::newRow("Destination cleared in the dialog")
        << QByteArray("[TimeZone]\nZone=26\nDestination=\nDaylight=0\n") << "DestinationName"
        << "" << QString();

    row("Daylight 0", "TimeZone", "Daylight", "0", "ObserveDaylight", "false");
    row("Daylight 00", "TimeZone", "Daylight", "00", "ObserveDaylight", "false");
    row("Daylight 1", "TimeZone", "Daylight", "1", "ObserveDaylight", "true");
    row("Daylight -1", "TimeZone", "Daylight", "-1", "ObserveDaylight", "true");
    row("Daylight text", "TimeZone", "Daylight", "yes", "ObserveDaylight", "false", "0");

    row("Symbol", "Stock", "Symbol", "ACME", "StockSymbol", "ACME");
    row("Stock Update minutes", "Stock", "Update", "10", "StockUpdateSeconds", "600");
    row("Stock Update lowest", "Stock", "Update", "1", "StockUpdateSeconds", "60");
    row("Stock Update highest", "Stock", "Update", "546", "StockUpdateSeconds", "32760");
    row("Stock Update above", "Stock", "Update", "547", "StockUpdateSeconds", "300", "5");
    row("Stock Update zero", "Stock", "Update", "0", "StockUpdateSeconds", "300", "5");
    row("Stock Update text", "Stock", "Update", "five", "StockUpdateSeconds", "300", "5");

    row("City", "Weather", "City", "Zürich", "WeatherCity", "Zürich");
    row("Country", "Weather", "Country", "CH", "WeatherCountry", "CH");
    row("Weather Update minutes", "Weather", "Update", "60", "WeatherUpdateSeconds", "3600");
    row("Weather Update negative", "Weather", "Update", "-30", "WeatherUpdateSeconds", "1800",
        "30");
    row("Weather Update decimal", "Weather", "Update", "7.5", "WeatherUpdateSeconds", "1800",
        "30");

    row("mode in range", "Mode", "mode", "7", "CurrentMode", "7");
    row("mode out of range kept", "Mode", "mode", "8", "CurrentMode", "8");
    row("mode negative kept", "Mode", "mode", "-1", "CurrentMode", "-1");
    row("mode beyond 16 bits", "Mode", "mode", "40000", "CurrentMode", "0", "0");
    row("mode text", "Mode", "mode", "clock", "CurrentMode", "0", "0");

    row("COM1 by-id", "Ports", "COM1", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "COM1",
        "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    row("COM6", "Ports", "COM6", "/dev/ttyUSB0", "COM6", "/dev/ttyUSB0");
    row("COM1 empty", "Ports", "COM1", "", "COM1", "/dev/ttyS0");

    // Both sections have an "Update"; each must read its own.
    QTest::newRow("Update of the other section")
        << QByteArray("[Weather]\nUpdate=10\n[Stock]\nUpdate=2\n") << "StockUpdateSeconds"
        << "120" << QString();
    QTest::newRow("Update not taken from the other section")
        << QByteArray("[Weather]\nUpdate=10\n") << "StockUpdateSeconds" << "300" << QString();
    QTest::newRow("file written by hand")
        << QByteArray("[MODE]\r\n  Mode = 5  \r\n") << "CurrentMode" << "5" << QString();
}

void tst_AppSettings::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QFETCH(QString, warning);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("brellix.ini"));
    if (!file.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(file), file.size());
    }
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));

    const AppSettings s = AppSettings::load(modINI(path));
    QCOMPARE(::field(s, field), expected);
}

void tst_AppSettings::portPath_data()
{
    QTest::addColumn<int>("com");
    QTest::addColumn<QString>("expected");

    QTest::newRow("COM1") << 1 << "/dev/ttyS0";
    QTest::newRow("COM6") << 6 << "/dev/ttyS5";
    QTest::newRow("zero") << 0 << "";
    QTest::newRow("seven") << 7 << "";
    QTest::newRow("negative") << -1 << "";
}

void tst_AppSettings::portPath()
{
    QFETCH(int, com);
    QFETCH(QString, expected);
    QCOMPARE(AppSettings().portPath(com), expected);
}

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_appsettings.moc"
