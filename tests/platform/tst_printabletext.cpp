#include "platform/PrintableText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class tst_PrintableText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printable_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("out");
        QTest::newRow("plain text stays") << u"Grüße, \u20ac 5"_s << 300 << u"Grüße, \u20ac 5"_s;
        QTest::newRow("terminal codes shown, not obeyed")
            << u"NO \x1b[31mred\x1b]0;title\x07"_s << 300 << u"NO \\x1b[31mred\\x1b]0;title\\x07"_s;
        QTest::newRow("line breaks, DEL and C1 controls")
            << u"a\r\nb\x7f\u009b"_s << 300 << u"a\\x0d\\x0ab\\x7f\\x9b"_s;
        QTest::newRow("cut to the length") << u"abcdefgh"_s << 5 << u"abcde..."_s;
        QTest::newRow("never half an escape") << u"abc\x1b"_s << 5 << u"abc..."_s;
        QTest::newRow("never half a character") << u"abcd\U0001F600"_s << 5 << u"abcd..."_s;
    }
    void printable()
    {
        QFETCH(QString, in);
        QFETCH(int, max);
        QFETCH(QString, out);
        QCOMPARE(printableText(in, max), out);
    }
};

QTEST_GUILESS_MAIN(tst_PrintableText)
#include "tst_printabletext.moc"
