#include "app/IntervalModel.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"
#include "support/LinkHarness.h"
#include "support/NetTestSupport.h"

#include <QtTest>

namespace {
const QString Refused =
    QStringLiteral("Update Frequency must be a whole number of minutes from 1 to 546");
const QByteArray Saved = "[Weather]\nCity=Oslo\nCountry=Norway\nUpdate=30\n"
                         "[Stock]\nSymbol=AAPL\nUpdate=5\n";

// One dialog's model over settings in use that match Saved.
struct Dialog
{
    explicit Dialog(bool isWeather) : weather(isWeather)
    {
        h.writeIni(Saved);
    }
    IntervalModel model()
    {
        return weather ? IntervalModel::weather(ini, weatherInUse, messages)
                       : IntervalModel::stock(ini, stockInUse, messages);
    }
    // The section's keys in the file, then the values in use.
    QStringList keys() const
    {
        const auto key = [this](const char* section, const char* k) {
            return ini.ReadIni(QLatin1String(section), QLatin1String(k));
        };
        return weather ? QStringList{key("Weather", "City"), key("Weather", "Country"),
                                     key("Weather", "Update")}
                       : QStringList{key("Stock", "Symbol"), key("Stock", "Update")};
    }
    QStringList inUse() const
    {
        return weather ? QStringList{weatherInUse.WeatherCity, weatherInUse.WeatherCountry,
                                     QString::number(weatherInUse.WeatherUpdateSeconds)}
                       : QStringList{stockInUse.StockSymbol,
                                     QString::number(stockInUse.StockUpdateSeconds)};
    }

    bool weather;
    LinkHarness h;
    modINI ini{h.iniPath()};
    RecordedMessages messages;
    WeatherSettings weatherInUse{QStringLiteral("Oslo"), QStringLiteral("Norway"), 1800};
    StockSettings stockInUse{QStringLiteral("AAPL"), 300};
};
} // namespace

// The logic of the Weather and Stock dialogs: what they open on, the
// warnings, the keys they store and the seconds the screens get.
class TestWebDialogModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void load_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("update");
        QTest::newRow("a fraction shows its decimals") << 150 << "2.5";
        QTest::newRow("longest") << 32760 << "546";
    }
    void load()
    {
        QFETCH(int, seconds);
        Dialog d(true);
        d.weatherInUse = {QStringLiteral("Llanfairpwllgwyngyllgogerychwyrndrobwll"),
                          QStringLiteral("Wales"), seconds};
        const IntervalModel::Choice c = d.model().load();
        QCOMPARE(c.texts, (QStringList{"Llanfairpwllgwyngyllgogerychwy", "Wales"})); // 30
        QTEST(c.update, "update");
    }

    // Rows with a warning store nothing and change nothing in use.
    void confirm_data()
    {
        QTest::addColumn<bool>("weather");
        QTest::addColumn<QStringList>("typed"); // the fields, then the interval
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("stored"); // the keys, and the values in use
        QTest::addColumn<int>("seconds");
        const QStringList none;
        QTest::newRow("no city") << true << QStringList{"", "Germany", "5"} << "City Not Entered"
                                 << none << 0;
        QTest::newRow("no country")
            << true << QStringList{"Berlin", "", "5"} << "Country Not Entered" << none << 0;
        for (const char* bad : {"0", "547", "5.5", "abc"})
            QTest::addRow("interval \"%s\"", bad)
                << true << QStringList{"Berlin", "Germany", bad} << Refused << none << 0;
        QTest::newRow("longest") << true << QStringList{"Berlin", "Germany", "546"} << ""
                                 << QStringList{"Berlin", "Germany", "546"} << 32760;
        QTest::newRow("blanks around")
            << true << QStringList{" Port of Spain ", " Trinidad and Tobago", " 07 "} << ""
            << QStringList{"Port of Spain", "Trinidad and Tobago", "7"} << 420;
        QTest::newRow("no symbol, bad interval")
            << false << QStringList{" ", "0"} << "Stock Symbol Not Entered" << none << 0;
        QTest::newRow("stock interval 600")
            << false << QStringList{"MSFT", "600"} << Refused << none << 0;
        QTest::newRow("index symbol")
            << false << QStringList{" ^GSPC", "1"} << "" << QStringList{"^GSPC", "1"} << 60;
    }
    void confirm()
    {
        QFETCH(bool, weather);
        QFETCH(QStringList, typed);
        QFETCH(QString, warning);
        QFETCH(QStringList, stored);
        QFETCH(int, seconds);
        Dialog d(weather);
        const QStringList before = d.inUse();
        const QString update = typed.takeLast();
        QCOMPARE(d.model().confirm({typed, update}), warning.isEmpty());
        if (!warning.isEmpty()) {
            QCOMPARE(d.messages.shown, (QList<UserMessage>{{warning, MessageSeverity::Warning,
                                                            MessageCategory::Settings}}));
            QCOMPARE(d.inUse(), before);
            QCOMPARE(d.h.readIni(), Saved);
            return;
        }
        QVERIFY(d.messages.shown.isEmpty());
        QCOMPARE(d.keys(), stored);
        stored.last() = QString::number(seconds);
        QCOMPARE(d.inUse(), stored);
    }
};

QTEST_GUILESS_MAIN(TestWebDialogModels)
#include "tst_webdialogmodels.moc"
