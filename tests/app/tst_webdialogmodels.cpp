#include "app/IntervalModel.h"
#include "platform/modINI.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"
#include "support/LinkHarness.h"
#include "support/NetTestSupport.h"

#include <QtTest>

// The Weather and Stock dialogs: what they open on, warn of and store.
class TestWebDialogModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialogs()
    {
        const QString refused =
            QStringLiteral("Update Frequency must be a whole number of minutes from 1 to 546");
        const QString saved = QStringLiteral("[Weather]\nCity=Oslo\nCountry=Norway\nUpdate=30\n"
                                             "[Stock]\nSymbol=AAPL\nUpdate=5\n");
        const QString city = QStringLiteral("Llanfairpwllgwyngyllgogerychwyrndrobwll");
        // Typed (the fields, then the interval); the warning, else the values
        // in use and the file after. A warning stores and changes nothing.
        const std::tuple<bool, const char*, QString> rows[] = {
            {true, "|Germany|5", "City Not Entered"},
            {true, "Berlin||5", "Country Not Entered"},
            {true, "Berlin|Germany|0", refused},
            {true, "Berlin|Germany|547", refused},
            {true, "Berlin|Germany|5.5", refused},
            {false, " |0", "Stock Symbol Not Entered"},
            {true, " Port of Spain | Trinidad| 546 ",
             "Port of Spain|Trinidad|32760|AAPL|300|" +
                 QString(saved).replace("Oslo\nCountry=Norway\nUpdate=30",
                                        "Port of Spain\nCountry=Trinidad\nUpdate=546")},
            {false, " ^GSPC|07",
             city + "|Norway|150|^GSPC|420|" +
                 QString(saved).replace("AAPL\nUpdate=5", "^GSPC\nUpdate=7")},
        };
        for (const auto& [weather, typing, expected] : rows) {
            LinkHarness h;
            h.writeIni(saved.toUtf8());
            modINI ini(h.iniPath());
            RecordedMessages messages;
            WeatherSettings place{city, QStringLiteral("Norway"), 150};
            StockSettings stock{QStringLiteral("AAPL"), 300};
            IntervalModel model = weather ? IntervalModel::weather(ini, place, messages)
                                          : IntervalModel::stock(ini, stock, messages);
            // Opened on the values in use, cut to the field, in minutes.
            const IntervalModel::Choice opened = model.load();
            QCOMPARE(opened.texts.join('|') + ' ' + opened.update,
                     weather ? "Llanfairpwllgwyngyllgogerychwy|Norway 2.5" : "AAPL 5");
            const QStringList typed = QString::fromUtf8(typing).split('|');
            const bool ok = model.confirm({typed.first(typed.size() - 1), typed.last()});
            const QString state =
                QStringLiteral("%1|%2|%3|%4|%5|%6")
                    .arg(place.WeatherCity, place.WeatherCountry,
                         QString::number(place.WeatherUpdateSeconds), stock.StockSymbol,
                         QString::number(stock.StockUpdateSeconds), QString::fromUtf8(h.readIni()));
            const QList<UserMessage> warned{
                {expected, MessageSeverity::Warning, MessageCategory::Settings}};
            QCOMPARE(messages.shown, ok ? QList<UserMessage>{} : warned);
            QCOMPARE(state, ok ? expected : city + "|Norway|150|AAPL|300|" + saved);
        }
    }
};

QTEST_GUILESS_MAIN(TestWebDialogModels)
#include "tst_webdialogmodels.moc"
