#include "screens/system/WindowPattern.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_SpeedFanPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("expected"); // 1 match, 0 no match, -1 invalid pattern
        QTest::newRow("anchored at the start") << u"My SpeedFan"_s << u"SpeedFan*"_s << 0;
        QTest::newRow("whole text") << u"TForm12"_s << u"TForm1"_s << 0;
        QTest::newRow("question takes one non-ASCII letter") << u"\u00c4b"_s << u"?b"_s << 1;
        QTest::newRow("hash: a digit") << u"a1b"_s << u"a#b"_s << 1;
        QTest::newRow("hash: not a superscript digit") << u"a\u00b2b"_s << u"a#b"_s << 0;
        QTest::newRow("negated range") << u"f"_s << u"[!A-Z]"_s << 1;
        QTest::newRow("star backtracks") << u"abcbc"_s << u"a*bc"_s << 1;
        QTest::newRow("several stars, too few") << u"aXbc"_s << u"*X*X*"_s << 0;
        QTest::newRow("unclosed bracket") << u"[x"_s << u"[x"_s << -1;
        QTest::newRow("downward range") << u"b"_s << u"[z-a]"_s << -1;
    }
    void matches()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, expected);
        QCOMPARE(WindowPattern::isValid(pattern), expected >= 0);
        QCOMPARE(WindowPattern::matches(text, pattern), expected > 0);
    }
};

QTEST_GUILESS_MAIN(tst_SpeedFanPattern)
#include "tst_speedfanpattern.moc"
