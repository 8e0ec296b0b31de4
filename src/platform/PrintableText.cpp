#include "platform/PrintableText.h"

#include <QRegularExpression>

QString printableText(QStringView text, qsizetype maxLength)
{
    QString out;
    out.reserve(qMin(text.size(), maxLength) + 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        const QString piece = control ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                                      : QString(text[i]);
        // Never half an escape or half a surrogate pair.
        const bool pairStart = text[i].isHighSurrogate() && i + 1 < text.size();
        if (out.size() + piece.size() + (pairStart ? 1 : 0) > maxLength) {
            out += QLatin1String("...");
            return out;
        }
        out += piece;
        if (pairStart)
            out += text[++i];
    }
    return out;
}

QString addressForLog(const QString& url)
{
    const QRegularExpression userInfo(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://)[^/?#]*@"));
    return printableText(QString(url).replace(userInfo, QStringLiteral("\\1")));
}
