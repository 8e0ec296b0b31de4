#include "platform/web/modWebservices.h"

#include <QStringDecoder>

#include <array>

std::unique_ptr<WebRequest> modWebservices::FetchUrl(const QUrl& url, Done done,
                                                     const QByteArray& agent)
{
    return m_transport.get(url, agent, m_limits, std::move(done));
}

QUrl modWebservices::WithQuery(const QString& endpoint, const QByteArray& encodedQuery)
{
    const QByteArray base = QUrl(endpoint).toEncoded();
    return QUrl::fromEncoded(base + (base.contains('?') ? "&" : "?") + encodedQuery);
}

QString modWebservices::decodeText(const QByteArray& body)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    // Bytes 0x80..0x9F of Windows-1252; the rest is Latin-1.
    static constexpr std::array<char16_t, 32> High = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    text.resize(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const uchar b = uchar(body[i]);
        text[i] = (b >= 0x80 && b <= 0x9F) ? QChar(High[b - 0x80]) : QChar(b);
    }
    return text;
}
