#include "screens/mail/MailHeaders.h"

#include "codec/TextDecoding.h"

#include <QList>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cctype>

namespace {

QString fromCharset(const QByteArray& charsetLabel, const QByteArray& bytes)
{
    // RFC 2231 may add a language: "UTF-8*de".
    const qsizetype star = charsetLabel.indexOf('*');
    QByteArray charset = (star < 0 ? charsetLabel : charsetLabel.left(star)).trimmed().toLower();
    // Mail labelled Latin-1 or ASCII is in practice Windows-1252 (curly
    // quotes, the euro sign), as mail clients read it.
    if (charset == "iso-8859-1" || charset == "us-ascii" || charset == "latin1" ||
        charset == "ascii")
        charset = "windows-1252";
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        return TextDecoding::utf8OrWindows1252(bytes);
    return decoder(bytes);
}

bool decodeQ(const QByteArray& text, QByteArray& out)
{
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '_') {
            out.append(' ');
        } else if (c == '=') {
            if (i + 2 >= text.size() || !isxdigit(uchar(text.at(i + 1))) ||
                !isxdigit(uchar(text.at(i + 2))))
                return false;
            out.append(char(text.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return true;
}

// One encoded word's charset and bytes, or a run of plain text.
struct Piece
{
    bool encoded = false;
    QByteArray charset;
    QByteArray bytes;
};

} // namespace

QString MailHeaders::decodeText(const QByteArray& value)
{
    const QRegularExpression word(QStringLiteral("=\\?([^?\\s]+)\\?([BbQq])\\?([^?\\s]*)\\?="));
    // Work on Latin-1 so that offsets are byte offsets.
    const QString latin = QString::fromLatin1(value);
    QList<Piece> pieces;
    qsizetype at = 0;
    QRegularExpressionMatchIterator it = word.globalMatch(latin);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QByteArray between = value.mid(at, m.capturedStart() - at);
        const QByteArray payload = m.captured(3).toLatin1();
        QByteArray bytes;
        bool ok = true;
        if (m.captured(2).compare(QLatin1String("B"), Qt::CaseInsensitive) == 0) {
            const auto decoded =
                QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
            ok = bool(decoded);
            bytes = decoded.decoded;
        } else {
            ok = decodeQ(payload, bytes);
        }
        if (!ok)
            continue; // not a well-formed word: it stays as written
        // White space between two encoded words is not part of the text.
        const bool afterWord = !pieces.isEmpty() && pieces.last().encoded;
        if (!between.isEmpty() && !(afterWord && between.trimmed().isEmpty()))
            pieces.append({false, {}, between});
        const QByteArray charset = m.captured(1).toLatin1();
        // Adjacent words in one charset are joined before decoding: senders
        // split a multi-byte character across two words.
        if (!pieces.isEmpty() && pieces.last().encoded &&
            pieces.last().charset.compare(charset, Qt::CaseInsensitive) == 0 &&
            (between.trimmed().isEmpty()))
            pieces.last().bytes += bytes;
        else
            pieces.append({true, charset, bytes});
        at = m.capturedEnd();
    }
    if (at < value.size())
        pieces.append({false, {}, value.mid(at)});

    QString text;
    for (const Piece& p : pieces)
        text += p.encoded ? fromCharset(p.charset, p.bytes) : TextDecoding::utf8OrWindows1252(p.bytes);
    // Folding left tabs and line ends; a field is shown on one line.
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return text.trimmed();
}

QString MailHeaders::displayName(const QByteArray& value)
{
    // The first mailbox: up to a comma outside quotes, comments and <>.
    QByteArray phrase;  // before "<", quotes removed
    QByteArray address; // inside "<>", or the bare address
    QByteArray comment; // "(...)" text: the old way of naming the sender
    bool quoted = false;
    bool inAngle = false;
    bool sawAngle = false;
    int depth = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (quoted) {
            if (c == '\\' && i + 1 < value.size())
                phrase.append(value.at(++i));
            else if (c == '"')
                quoted = false;
            else
                phrase.append(c);
            continue;
        }
        if (depth > 0) {
            if (c == '\\' && i + 1 < value.size()) {
                comment.append(value.at(++i));
                continue;
            }
            if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
                continue;
            comment.append(c);
            continue;
        }
        if (inAngle) {
            if (c == '>')
                inAngle = false;
            else
                address.append(c);
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            depth = 1;
            if (!comment.isEmpty())
                comment.append(' ');
        } else if (c == '<') {
            inAngle = true;
            sawAngle = true;
            address.clear();
        } else if (c == ',') {
            break;
        } else if (sawAngle) {
            // Text after the address: nothing a client shows.
        } else {
            phrase.append(c);
        }
    }
    if (sawAngle) {
        const QString name = decodeText(phrase);
        if (!name.isEmpty())
            return name;
        const QString fromComment = decodeText(comment);
        return fromComment.isEmpty() ? decodeText(address) : fromComment;
    }
    // "ann@example.org (Ann Example)" or just "ann@example.org".
    const QString fromComment = decodeText(comment);
    return fromComment.isEmpty() ? decodeText(phrase) : fromComment;
}

QDateTime MailHeaders::parseDate(const QByteArray& value)
{
    QString text = QString::fromLatin1(value);
    // Comments such as "(CET)" say nothing the offset does not.
    text.remove(QRegularExpression(QStringLiteral("\\([^)]*\\)")));
    text = text.simplified();
    // Obsolete zone names, and the military letters (taken as UTC).
    const QRegularExpression namedZone(QStringLiteral("\\s([A-Za-z]{1,3})$"));
    const QRegularExpressionMatch m = namedZone.match(text);
    if (m.hasMatch()) {
        const QString zone = m.captured(1).toUpper();
        const QList<QPair<QString, QString>> zones{
            {QStringLiteral("EST"), QStringLiteral("-0500")},
            {QStringLiteral("EDT"), QStringLiteral("-0400")},
            {QStringLiteral("CST"), QStringLiteral("-0600")},
            {QStringLiteral("CDT"), QStringLiteral("-0500")},
            {QStringLiteral("MST"), QStringLiteral("-0700")},
            {QStringLiteral("MDT"), QStringLiteral("-0600")},
            {QStringLiteral("PST"), QStringLiteral("-0800")},
            {QStringLiteral("PDT"), QStringLiteral("-0700")}};
        QString offset = QStringLiteral("+0000");
        for (const auto& z : zones) {
            if (z.first == zone)
                offset = z.second;
        }
        text = text.left(m.capturedStart(1)) + offset;
    }
    // Qt wants a capitalised day and month name.
    const QRegularExpression name(QStringLiteral("[A-Za-z]{3,}"));
    QRegularExpressionMatchIterator it = name.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch w = it.next();
        const QString fixed = w.captured().left(1).toUpper() + w.captured().mid(1).toLower();
        text.replace(w.capturedStart(), w.capturedLength(), fixed);
    }
    // A two-digit year (obsolete): 00-49 are 20xx, 50-99 19xx.
    const QRegularExpression shortYear(
        QStringLiteral("^((?:[A-Za-z]+, )?\\d{1,2} [A-Za-z]+ )(\\d{2}) "));
    const QRegularExpressionMatch y = shortYear.match(text);
    if (y.hasMatch()) {
        const int year = y.captured(2).toInt();
        text.replace(y.capturedStart(2), 2, QString::number(year < 50 ? 2000 + year : 1900 + year));
    }
    return QDateTime::fromString(text, Qt::RFC2822Date);
}

MailHeaders MailHeaders::parse(const QByteArray& block)
{
    MailHeaders h;
    QByteArray fromValue;
    QByteArray subjectValue;
    QByteArray dateValue;
    bool haveFrom = false, haveSubject = false, haveDate = false;

    QByteArray* current = nullptr;
    for (QByteArray line : block.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break; // the end of the header
        if (line.startsWith(' ') || line.startsWith('\t')) {
            // A folded line goes on the field above, its white space kept.
            if (current)
                current->append(line);
            continue;
        }
        current = nullptr;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        QByteArray* target = nullptr;
        bool* seen = nullptr;
        if (name == "from") {
            target = &fromValue;
            seen = &haveFrom;
        } else if (name == "subject") {
            target = &subjectValue;
            seen = &haveSubject;
        } else if (name == "date") {
            target = &dateValue;
            seen = &haveDate;
        }
        if (!target || *seen)
            continue; // another field, or a repeated one: the first counts
        *seen = true;
        *target = line.mid(colon + 1);
        current = target;
    }
    h.from = displayName(fromValue.trimmed());
    h.subject = decodeText(subjectValue);
    h.rawDate = QString::fromLatin1(dateValue.simplified());
    h.date = parseDate(dateValue);
    return h;
}
