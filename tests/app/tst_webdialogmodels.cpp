#include "app/StockModel.h"
#include "app/WeatherModel.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"
#include "support/NetTestSupport.h"
#include "support/LinkHarness.h"

#include <QtTest>

namespace {
const QString Refused =
    QStringLiteral("Update Frequency must be a whole number of minutes from 1 to 546");
} // namespace

// The logic of the Weather and Stock dialogs: what they open on, the
// warnings, the keys they store and the seconds the screens get.
class TestWebDialogModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void weatherLoad_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("update");
        QTest::newRow("default half hour") << 1800 << "30";
        QTest::newRow("five minutes") << 300 << "5";
        QTest::newRow("a fraction shows its decimals") << 150 << "2.5";
        QTest::newRow("longest") << 32760 << "546";
    }
    void weatherLoad()
    {
        QFETCH(int, seconds);
        LinkHarness h;
        modINI ini(h.iniPath());
        RecordedMessages messages;
        WeatherSettings inUse{QStringLiteral("Llanfairpwllgwyngyllgogerychwyrndrobwll"),
                              QStringLiteral("Wales"), seconds};
        const WeatherModel::Choice c = WeatherModel(ini, inUse, messages).load();
        QCOMPARE(c.city, QStringLiteral("Llanfairpwllgwyngyllgogerychwy")); // 30
        QCOMPARE(c.country, QStringLiteral("Wales"));
        QTEST(c.update, "update");
    }

    // Rows with a warning store nothing; the others store the three keys.
    void weatherConfirm_data()
    {
        QTest::addColumn<QStringList>("typed"); // city, country, interval
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("stored"); // City, Country, Update
        QTest::addColumn<int>("seconds");
        QTest::newRow("no city") << QStringList{"", "Germany", "5"} << "City Not Entered"
                                 << QStringList{} << 0;
        QTest::newRow("blank city")
            << QStringList{"   ", "Germany", "5"} << "City Not Entered" << QStringList{} << 0;
        QTest::newRow("neither: city first")
            << QStringList{"", "", "5"} << "City Not Entered" << QStringList{} << 0;
        QTest::newRow("no country")
            << QStringList{"Berlin", "", "5"} << "Country Not Entered" << QStringList{} << 0;
        for (const char* bad : {"0", "547", "-5", "5.5", "abc", "", "1e3", "0x10", "99999999999"})
            QTest::addRow("interval \"%s\"", bad)
                << QStringList{"Berlin", "Germany", bad} << Refused << QStringList{} << 0;
        QTest::newRow("five minutes") << QStringList{"Berlin", "Germany", "5"} << ""
                                      << QStringList{"Berlin", "Germany", "5"} << 300;
        QTest::newRow("longest") << QStringList{"Berlin", "Germany", "546"} << ""
                                 << QStringList{"Berlin", "Germany", "546"} << 32760;
        QTest::newRow("blanks around")
            << QStringList{" Port of Spain ", " Trinidad and Tobago", " 07 "} << ""
            << QStringList{"Port of Spain", "Trinidad and Tobago", "7"} << 420;
    }
    void weatherConfirm()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, warning);
        QFETCH(QStringList, stored);
        LinkHarness h;
        h.writeIni("[Weather]\nCity=Oslo\nCountry=Norway\nUpdate=30\n");
        modINI ini(h.iniPath());
        RecordedMessages messages;
        WeatherSettings inUse{QStringLiteral("Oslo"), QStringLiteral("Norway"), 1800};
        WeatherModel model(ini, inUse, messages);
        const bool closes = model.confirm({typed[0], typed[1], typed[2]});
        QCOMPARE(closes, warning.isEmpty());
        const auto key = [&ini](const char* k) {
            return ini.ReadIni(QStringLiteral("Weather"), QLatin1String(k));
        };
        if (!warning.isEmpty()) {
            QCOMPARE(messages.shown, (QList<UserMessage>{{warning, MessageSeverity::Warning,
                                                          MessageCategory::Settings}}));
            stored = QStringList{"Oslo", "Norway", "30"};
            QCOMPARE(inUse.WeatherUpdateSeconds, 1800);
        } else {
            QVERIFY(messages.shown.isEmpty());
            QTEST(inUse.WeatherUpdateSeconds, "seconds");
        }
        QCOMPARE((QStringList{key("City"), key("Country"), key("Update")}), stored);
        QCOMPARE((QStringList{inUse.WeatherCity, inUse.WeatherCountry}), stored.mid(0, 2));
    }

    void stockConfirm_data()
    {
        QTest::addColumn<QStringList>("typed"); // symbol, interval
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("stored"); // Symbol, Update
        QTest::addColumn<int>("seconds");
        QTest::newRow("no symbol")
            << QStringList{"", "10"} << "Stock Symbol Not Entered" << QStringList{} << 0;
        QTest::newRow("no symbol, bad interval")
            << QStringList{" ", "0"} << "Stock Symbol Not Entered" << QStringList{} << 0;
        QTest::newRow("interval 0") << QStringList{"MSFT", "0"} << Refused << QStringList{} << 0;
        QTest::newRow("interval 600")
            << QStringList{"MSFT", "600"} << Refused << QStringList{} << 0;
        QTest::newRow("ten minutes")
            << QStringList{"MSFT", "10"} << "" << QStringList{"MSFT", "10"} << 600;
        QTest::newRow("index symbol")
            << QStringList{"^GSPC", "1"} << "" << QStringList{"^GSPC", "1"} << 60;
    }
    void stockConfirm()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, warning);
        QFETCH(QStringList, stored);
        LinkHarness h;
        modINI ini(h.iniPath());
        RecordedMessages messages;
        StockSettings inUse{QStringLiteral("AAPL"), 300};
        StockModel model(ini, inUse, messages);
        QCOMPARE(model.load().update, QStringLiteral("5"));
        QCOMPARE(model.confirm({typed[0], typed[1]}), warning.isEmpty());
        const QStringList keys{ini.ReadIni(QStringLiteral("Stock"), QStringLiteral("Symbol")),
                               ini.ReadIni(QStringLiteral("Stock"), QStringLiteral("Update"))};
        if (!warning.isEmpty()) {
            QCOMPARE(messages.shown, (QList<UserMessage>{{warning, MessageSeverity::Warning,
                                                          MessageCategory::Settings}}));
            QCOMPARE(keys, (QStringList{"", ""}));
            QCOMPARE(inUse.StockSymbol, QStringLiteral("AAPL"));
            QCOMPARE(inUse.StockUpdateSeconds, 300);
            QVERIFY(!QFile::exists(h.iniPath()));
        } else {
            QCOMPARE(keys, stored);
            QCOMPARE(inUse.StockSymbol, stored[0]);
            QTEST(inUse.StockUpdateSeconds, "seconds");
        }
    }
};

QTEST_GUILESS_MAIN(TestWebDialogModels)
#include "tst_webdialogmodels.moc"
