#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The sender, subject and date of a message, read from its header lines as a
// mail client reads them: folded lines joined, RFC 2047 encoded words
// (Base64 and quoted-printable, any charset the system knows) decoded,
// unencoded 8-bit text taken as UTF-8 or else Windows-1252.
struct MailHeaders
{
    QString from;    // the sender's display name, else the address
    QString subject; // decoded, on one line
    QDateTime date;  // invalid when the Date field is missing or unreadable
    QString rawDate; // the Date field as written

    // The header block of a message (lines up to the first empty one, CRLF
    // or LF); fields other than From, Subject and Date are skipped.
    static MailHeaders parse(const QByteArray& block);

    // An unfolded field value with its encoded words decoded.
    static QString decodeText(const QByteArray& value);
    // The display name of the first mailbox of a From value, else its address.
    static QString displayName(const QByteArray& value);
    // An RFC 5322 date ("Sat, 5 Dec 2026 14:05:07 +0100", also the obsolete
    // zone names and a trailing comment); invalid when unreadable.
    static QDateTime parseDate(const QByteArray& value);
};
