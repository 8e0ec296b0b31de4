#include "screens/web/YahooStockSource.h"

#include "screens/web/WebSettings.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <cmath>

namespace {
// The first number of an array of numbers and nulls.
QJsonValue firstNumber(const QJsonValue& array)
{
    for (const QJsonValue& v : array.toArray()) {
        if (v.isDouble())
            return v;
    }
    return {};
}

// The whole part of a number of an answer; nothing beyond qint64's range,
// where a cast is undefined.
std::optional<qint64> wholePart(double value)
{
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        return std::nullopt;
    return qint64(value);
}

// A price, an opening or a change the screen can show in its few columns;
// anything larger (1.7e308, an infinite change) is no real quote.
bool showable(double value)
{
    return std::isfinite(value) && std::abs(value) < 1e10;
}

QString twoDecimals(double value)
{
    return QString::number(value, 'f', 2);
}
} // namespace

QUrl YahooStockSource::RequestUrl(const QString& endpoint, const QString& symbol)
{
    return QUrl::fromEncoded(QUrl(endpoint).toEncoded() + QUrl::toPercentEncoding(symbol) +
                             "?range=1d&interval=1d");
}

std::optional<StockQuote> YahooStockSource::Parse(const QByteArray& json, const QString& symbol)
{
    const QJsonObject result = QJsonDocument::fromJson(json)
                                   .object()
                                   .value(QLatin1String("chart"))
                                   .toObject()
                                   .value(QLatin1String("result"))
                                   .toArray()
                                   .at(0)
                                   .toObject();
    const QJsonObject meta = result.value(QLatin1String("meta")).toObject();
    const QJsonValue price = meta.value(QLatin1String("regularMarketPrice"));
    const QJsonValue time = meta.value(QLatin1String("regularMarketTime"));
    const std::optional<qint64> seconds = wholePart(time.toDouble());
    if (!price.isDouble() || !time.isDouble() || !seconds || !showable(price.toDouble()))
        return std::nullopt;

    StockQuote q;
    for (const char* key : {"longName", "shortName"}) {
        q.name = meta.value(QLatin1String(key)).toString().trimmed();
        if (!q.name.isEmpty())
            break;
    }
    if (q.name.isEmpty())
        q.name = symbol;

    QTimeZone zone(meta.value(QLatin1String("exchangeTimezoneName")).toString().toUtf8());
    if (!zone.isValid())
        zone = QTimeZone(meta.value(QLatin1String("gmtoffset")).toInt());
    q.time = QDateTime::fromSecsSinceEpoch(*seconds, zone).toString(QStringLiteral("h:mm"));
    q.last = twoDecimals(price.toDouble());

    const QJsonObject quote = result.value(QLatin1String("indicators"))
                                  .toObject()
                                  .value(QLatin1String("quote"))
                                  .toArray()
                                  .at(0)
                                  .toObject();
    QJsonValue open = meta.value(QLatin1String("regularMarketOpen"));
    if (!open.isDouble())
        open = firstNumber(quote.value(QLatin1String("open")));
    if (open.isDouble() && !showable(open.toDouble()))
        return std::nullopt;
    if (open.isDouble())
        q.open = twoDecimals(open.toDouble());
    QJsonValue volume = meta.value(QLatin1String("regularMarketVolume"));
    if (!volume.isDouble())
        volume = firstNumber(quote.value(QLatin1String("volume")));
    if (const std::optional<qint64> whole = wholePart(volume.toDouble());
        volume.isDouble() && whole)
        q.volume = QString::number(*whole);

    QJsonValue previous = meta.value(QLatin1String("previousClose"));
    if (!previous.isDouble())
        previous = meta.value(QLatin1String("chartPreviousClose"));
    if (previous.isDouble() && previous.toDouble() > 0) {
        const double change = (price.toDouble() - previous.toDouble()) / previous.toDouble() * 100;
        if (!showable(change))
            return std::nullopt;
        QString text = twoDecimals(change);
        if (text == QLatin1String("-0.00"))
            text = QStringLiteral("0.00");
        q.change = (text.startsWith(u'-') ? text : u'+' + text) + u'%';
    }
    return q;
}

void YahooStockSource::fetch(const QString& symbol, Done done)
{
    if (symbol.trimmed().isEmpty()) {
        done({});
        return;
    }
    ask(RequestUrl(m_web.yahooChart, symbol.trimmed()), symbol.trimmed(), modWebservices::Agent,
        std::move(done));
}

void YahooStockSource::ask(const QUrl& url, const QString& symbol, const QByteArray& agent,
                           Done done)
{
    m_request = m_client.FetchUrl(
        url,
        [this, url, symbol, agent, done](const modWebservices::Answer& answer) {
            const bool refused = answer.status == 429 || answer.status == 403;
            if (refused && agent != BrowserAgent) {
                ask(url, symbol, BrowserAgent, done);
                return;
            }
            std::optional<StockQuote> quote;
            if (answer.ok && answer.status == 200)
                quote = Parse(answer.body, symbol);
            const QString failure =
                quote ? QString() : "Yahoo chart gave no quote: " + answer.describe();
            done({std::move(quote), failure, !quote && !answer.reached()});
        },
        agent);
}
