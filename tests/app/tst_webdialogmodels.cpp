#include "app/IntervalModel.h"
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
} // namespace

// The logic of the Weather and Stock dialogs: what they open on, the
// warnings, the keys they store and the seconds the screens get.
class TestWebDialogModels : public QObject
{
    Q_OBJECT

    struct Dialog
    {
        LinkHarness h;
        modINI ini{(h.writeIni(Saved), h.iniPath())};
        RecordedMessages messages;
        WeatherSettings weather{QStringLiteral("Oslo"), QStringLiteral("Norway"), 1800};
        StockSettings stock{QStringLiteral("AAPL"), 300};
        IntervalModel model(bool isWeather)
        {
            return isWeather ? IntervalModel::weather(ini, weather, messages)
                             : IntervalModel::stock(ini, stock, messages);
        }
        // The values in use, then the section as stored.
        QStringList state() const
        {
            return {weather.WeatherCity, weather.WeatherCountry,
                    QString::number(weather.WeatherUpdateSeconds), stock.StockSymbol,
                    QString::number(stock.StockUpdateSeconds), QString::fromUtf8(h.readIni())};
        }
    };

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
        Dialog d;
        d.weather = {QStringLiteral("Llanfairpwllgwyngyllgogerychwyrndrobwll"),
                     QStringLiteral("Wales"), seconds};
        const IntervalModel::Choice c = d.model(true).load();
        QCOMPARE(c.texts, (QStringList{"Llanfairpwllgwyngyllgogerychwy", "Wales"})); // 30
        QTEST(c.update, "update");
    }

    // Rows with a warning store nothing and change nothing in use.
    void confirm_data()
    {
        QTest::addColumn<bool>("weather");
        QTest::addColumn<QStringList>("typed"); // the fields, then the interval
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("inUse"); // the fields, then the seconds
        QTest::addColumn<QByteArray>("stored");
        const QStringList none;
        QTest::newRow("no city") << true << QStringList{"", "Germany", "5"} << "City Not Entered"
                                 << none << QByteArray();
        QTest::newRow("no country") << true << QStringList{"Berlin", "", "5"}
                                    << "Country Not Entered" << none << QByteArray();
        for (const char* bad : {"0", "547", "5.5", "abc"})
            QTest::addRow("interval \"%s\"", bad) << true << QStringList{"Berlin", "Germany", bad}
                                                  << Refused << none << QByteArray();
        QTest::newRow("longest, blanks around")
            << true << QStringList{" Port of Spain ", " Trinidad", " 546 "} << ""
            << QStringList{"Port of Spain", "Trinidad", "32760"}
            << QByteArray("City=Port of Spain\nCountry=Trinidad\nUpdate=546\n");
        QTest::newRow("no symbol, bad interval") << false << QStringList{" ", "0"}
                                                 << "Stock Symbol Not Entered" << none << QByteArray();
        QTest::newRow("stock interval 600")
            << false << QStringList{"MSFT", "600"} << Refused << none << QByteArray();
        QTest::newRow("index symbol") << false << QStringList{" ^GSPC", "07"} << ""
                                      << QStringList{"^GSPC", "420"}
                                      << QByteArray("Symbol=^GSPC\nUpdate=7\n");
    }
    void confirm()
    {
        QFETCH(bool, weather);
        QFETCH(QStringList, typed);
        QFETCH(QString, warning);
        QFETCH(QStringList, inUse);
        QFETCH(QByteArray, stored);
        Dialog d;
        QStringList expected = d.state();
        const QString update = typed.takeLast();
        QCOMPARE(d.model(weather).confirm({typed, update}), warning.isEmpty());
        if (warning.isEmpty()) {
            for (int i = 0; i < inUse.size(); ++i)
                expected[(weather ? 0 : 3) + i] = inUse[i];
            QByteArray file = Saved;
            const qsizetype at = file.indexOf(weather ? "City=" : "Symbol=");
            file.replace(at, (weather ? file.indexOf("[Stock]") : file.size()) - at, stored);
            expected.last() = QString::fromUtf8(file);
        }
        QCOMPARE(d.state(), expected);
        const QList<UserMessage> shown{{warning, MessageSeverity::Warning, MessageCategory::Settings}};
        QCOMPARE(d.messages.shown, warning.isEmpty() ? QList<UserMessage>{} : shown);
    }
};

QTEST_GUILESS_MAIN(TestWebDialogModels)
#include "tst_webdialogmodels.moc"
