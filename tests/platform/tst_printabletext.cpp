#include "platform/PrintableText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class tst_PrintableText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Terminal codes, line breaks, DEL and C1 controls are shown, not obeyed;
    // a cut never leaves half an escape or half a character.
    void printable()
    {
        QCOMPARE(printableText(u"Grüße, \u20ac 5 \x1b[31m\x1b]0;t\x07\r\n\x7f\u009b"_s),
                 u"Grüße, \u20ac 5 \\x1b[31m\\x1b]0;t\\x07\\x0d\\x0a\\x7f\\x9b"_s);
        QCOMPARE(printableText(u"abcdefgh"_s, 5), u"abcde..."_s);
        QCOMPARE(printableText(u"abc\x1b"_s, 5), u"abc..."_s);
        QCOMPARE(printableText(u"abcd\U0001F600"_s, 5), u"abcd..."_s);
    }
};

QTEST_GUILESS_MAIN(tst_PrintableText)
#include "tst_printabletext.moc"
