#include "screens/mail/MailHeaders.h"

#include <QtTest>

// Header lines as mail clients read them.
class TestMailHeaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QByteArray(" Lunch on Friday ") << "Lunch on Friday";
        QTest::newRow("B, lower-case b and charset")
            << QByteArray("=?utf-8?b?R3LDvMOfZQ==?=") << "Gr\u00fc\u00dfe";
        QTest::newRow("Q, ISO-8859-1, underscore is a space")
            << QByteArray("=?ISO-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=")
            << "Gr\u00fc\u00dfe aus K\u00f6ln";
        QTest::newRow("Latin-1 label read as Windows-1252")
            << QByteArray("=?ISO-8859-1?Q?=80?=") << "\u20ac";
        QTest::newRow("language suffix") << QByteArray("=?UTF-8*de?Q?=C3=A4?=") << "\u00e4";
        QTest::newRow("folded space between words dropped")
            << QByteArray("=?UTF-8?Q?a?=\r\n\t=?UTF-8?Q?b?=") << "ab";
        QTest::newRow("space between word and text kept")
            << QByteArray("Re: =?UTF-8?Q?caf=C3=A9?= ok") << "Re: caf\u00e9 ok";
        QTest::newRow("a UTF-8 character split across B words")
            << QByteArray("=?UTF-8?B?SsM=?= =?UTF-8?B?vHJnZW4=?=") << "J\u00fcrgen";
        QTest::newRow("broken base64 stays as written")
            << QByteArray("=?UTF-8?B?@@@?=") << "=?UTF-8?B?@@@?=";
        QTest::newRow("unknown charset: the bytes as UTF-8")
            << QByteArray("=?x-unknown?Q?caf=C3=A9?=") << "caf\u00e9";
        QTest::newRow("raw Windows-1252") << QByteArray("caf\xe9 \x80") << "caf\u00e9 \u20ac";
        QTest::newRow("tab from folding") << QByteArray("a\tb") << "a b";
    }

    void decodeText()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        QCOMPARE(MailHeaders::decodeText(value), text);
    }

    void displayName_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted name with comma")
            << QByteArray("\"Example, Ann\" <ann@example.org>") << "Example, Ann";
        QTest::newRow("quoted name with escapes")
            << QByteArray("\"Ann \\\"The Boss\\\" Example\" <a@example.org>")
            << "Ann \"The Boss\" Example";
        QTest::newRow("encoded name")
            << QByteArray("=?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <jm@example.org>")
            << "J\u00fcrgen M\u00fcller";
        QTest::newRow("address only") << QByteArray("bob@example.org") << "bob@example.org";
        QTest::newRow("empty quoted name")
            << QByteArray("\"\" <bob@example.org>") << "bob@example.org";
        QTest::newRow("old style comment name")
            << QByteArray("bob@example.org (Bob Smith)") << "Bob Smith";
        QTest::newRow("first of two mailboxes")
            << QByteArray("Ann <ann@example.org>, Bob <bob@example.org>") << "Ann";
        QTest::newRow("angle bracket in the decoded name is just text")
            << QByteArray("=?UTF-8?Q?a_=3Cb=3E?= <c@example.org>") << "a <b>";
    }

    void displayName()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, name);
        QCOMPARE(MailHeaders::displayName(value), name);
    }

    void parseDate_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QDateTime>("utc"); // invalid: unreadable
        const QDateTime t(QDate(2026, 12, 5), QTime(13, 5, 7), Qt::UTC);
        QTest::newRow("full") << QByteArray("Sat, 5 Dec 2026 14:05:07 +0100") << t;
        QTest::newRow("comment") << QByteArray("Sat, 05 Dec 2026 14:05:07 +0100 (CET)") << t;
        QTest::newRow("negative offset") << QByteArray("Sat, 5 Dec 2026 08:05:07 -0500") << t;
        QTest::newRow("EST") << QByteArray("Sat, 5 Dec 2026 08:05:07 EST") << t;
        QTest::newRow("lower case names") << QByteArray("sat, 5 dec 2026 14:05:07 +0100") << t;
        QTest::newRow("two-digit year") << QByteArray("Sat, 5 Dec 26 14:05:07 +0100") << t;
        QTest::newRow("no seconds") << QByteArray("Sat, 5 Dec 2026 14:05 +0100")
                                    << QDateTime(QDate(2026, 12, 5), QTime(13, 5), Qt::UTC);
        QTest::newRow("garbage") << QByteArray("yesterday") << QDateTime();
    }

    void parseDate()
    {
        QFETCH(QByteArray, value);
        QFETCH(QDateTime, utc);
        const QDateTime parsed = MailHeaders::parseDate(value);
        QCOMPARE(parsed.isValid(), utc.isValid());
        if (utc.isValid())
            QCOMPARE(parsed.toUTC(), utc);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("rawDate");
        QTest::newRow("CRLF, folded subject, other fields skipped")
            << QByteArray(
                   "Received: from x\r\n\tby y\r\nFROM: Ann <a@example.org>\r\n"
                   "Subject: a long\r\n subject\r\nDate: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\n"
                   "Subject: not a header\r\n")
            << "Ann"
            << "a long subject"
            << "Sat, 5 Dec 2026 14:05:07 +0100";
        QTest::newRow("LF only, first of repeated fields")
            << QByteArray("Subject: one\nSubject: two\nfrom: b@example.org\n") << "b@example.org"
            << "one" << QString();
        QTest::newRow("folded encoded words")
            << QByteArray("Subject: =?UTF-8?Q?Gr=C3=BC?=\r\n =?UTF-8?Q?=C3=9Fe?=\r\n") << QString()
            << "Gr\u00fc\u00dfe" << QString();
    }

    void parse()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, from);
        QFETCH(QString, subject);
        QFETCH(QString, rawDate);
        const MailHeaders h = MailHeaders::parse(block);
        QCOMPARE(h.from, from);
        QCOMPARE(h.subject, subject);
        QCOMPARE(h.rawDate, rawDate);
    }
};

QTEST_GUILESS_MAIN(TestMailHeaders)
#include "tst_mailheaders.moc"
