#include "screens/web/ServiceStockSource.h"

#include "codec/TextDecoding.h"
#include "screens/web/ServiceAnswer.h"
#include "screens/web/WebSettings.h"

QUrl ServiceStockSource::RequestUrl(const QString& base, const QString& symbol)
{
    if (base.isEmpty())
        return {};
    return QUrl::fromEncoded(QUrl(base).toEncoded() +
                             "stockquote.asmx/GetQuote?symbol=" + QUrl::toPercentEncoding(symbol));
}

std::optional<StockQuote> ServiceStockSource::Parse(const QString& answer)
{
    if (!answer.contains(QLatin1String("Name")))
        return std::nullopt;
    const auto cut = [&answer](const char* name, int skip) {
        return ServiceAnswer::CutValue(answer, QLatin1String(name), skip, 4).value_or(QString());
    };
    StockQuote q;
    q.name = cut("Name", 8);
    q.time = cut("Time", 8);
    q.last = cut("Last", 8);
    q.change = cut("PercentageChange", 20);
    q.volume = cut("Volume", 10);
    q.open = cut("Open", 8);
    return q;
}

void ServiceStockSource::fetch(const QString& symbol, Done done)
{
    const QUrl url = RequestUrl(m_web.base, symbol);
    if (!url.isValid()) {
        done({std::nullopt, QStringLiteral("[Stock] Source=service needs [Web] Base, an http or "
                                           "https address ending in \"/\"")});
        return;
    }
    m_request = m_client.FetchUrl(url, [done](const modWebservices::Answer& answer) {
        std::optional<StockQuote> quote = Parse(TextDecoding::utf8OrWindows1252(answer.body));
        const QString failure =
            quote ? QString() : "Stock quote service gave no quote: " + answer.describe();
        done({std::move(quote), failure, !quote && !answer.reached()});
    });
}
