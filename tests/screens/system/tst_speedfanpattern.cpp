#include "screens/system/WindowPattern.h"

#include <QTest>

class tst_SpeedFanPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matches_data();
    void matches();
    void invalid_data();
    void invalid();
};

void tst_SpeedFanPattern::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("title prefix") << "SpeedFan 4.52"
                                  << "SpeedFan*" << true;
    QTest::newRow("star matches nothing") << "SpeedFan"
                                          << "SpeedFan*" << true;
    QTest::newRow("case counts") << "speedfan"
                                 << "SpeedFan*" << false;
    QTest::newRow("prefix not at start") << "My SpeedFan"
                                         << "SpeedFan*" << false;
    QTest::newRow("class exact") << "TForm1"
                                 << "TForm1" << true;
    QTest::newRow("whole text: longer") << "TForm12"
                                        << "TForm1" << false;
    QTest::newRow("whole text: shorter") << "TForm"
                                         << "TForm1" << false;
    QTest::newRow("empty text, star") << ""
                                      << "*" << true;
    QTest::newRow("empty text, empty pattern") << ""
                                               << "" << true;
    QTest::newRow("text, empty pattern") << "a"
                                         << "" << false;
    QTest::newRow("question needs a character") << ""
                                                << "?" << false;
    QTest::newRow("question takes exactly one") << "ab"
                                                << "?" << false;
    QTest::newRow("two questions") << "ab"
                                   << "??" << true;
    QTest::newRow("question takes a non-ASCII letter") << QStringLiteral(u"\u00c4") << "?" << true;
    QTest::newRow("hash: digit") << "a1b"
                                 << "a#b" << true;
    QTest::newRow("hash: not a letter") << "aXb"
                                        << "a#b" << false;
    QTest::newRow("hash: not a superscript digit") << QStringLiteral(u"a\u00b2b") << "a#b" << false;
    QTest::newRow("range in") << "F"
                              << "[A-Z]" << true;
    QTest::newRow("range: case counts") << "f"
                                        << "[A-Z]" << false;
    QTest::newRow("negated range in") << "f"
                                      << "[!A-Z]" << true;
    QTest::newRow("negated range out") << "F"
                                       << "[!A-Z]" << false;
    QTest::newRow("two ranges") << "q"
                                << "[A-Za-z]" << true;
    QTest::newRow("list of single characters") << "c"
                                               << "[abc]" << true;
    QTest::newRow("list takes one character") << "ab"
                                              << "[ab]" << false;
    QTest::newRow("hyphen first") << "-"
                                  << "[-a]" << true;
    QTest::newRow("hyphen last") << "-"
                                 << "[a-]" << true;
    QTest::newRow("hyphen is not a range end") << "b"
                                               << "[a-]" << false;
    QTest::newRow("exclamation not first") << "!"
                                           << "[a!]" << true;
    QTest::newRow("star in brackets") << "*"
                                      << "[*]" << true;
    QTest::newRow("star in brackets is not a wildcard") << "x"
                                                        << "[*]" << false;
    QTest::newRow("question in brackets") << "?"
                                          << "[?]" << true;
    QTest::newRow("hash in brackets") << "#"
                                      << "[#]" << true;
    QTest::newRow("open bracket in brackets") << "["
                                              << "[[]" << true;
    QTest::newRow("empty brackets match nothing") << "ab"
                                                  << "a[]b" << true;
    QTest::newRow("closing bracket alone") << "]"
                                           << "]" << true;
    QTest::newRow("star in the middle") << "abc"
                                        << "a*c" << true;
    QTest::newRow("star backtracks") << "abcbc"
                                     << "a*bc" << true;
    QTest::newRow("star, wrong end") << "abcd"
                                     << "a*c" << false;
    QTest::newRow("double star") << "ac"
                                 << "a**c" << true;
    QTest::newRow("several stars") << "aXbXc"
                                   << "*X*X*" << true;
    QTest::newRow("several stars, too few") << "aXbc"
                                            << "*X*X*" << false;
    QTest::newRow("star and question") << "SpeedFan"
                                       << "*F?n" << true;
}

void tst_SpeedFanPattern::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QVERIFY(WindowPattern::isValid(pattern));
    QCOMPARE(WindowPattern::matches(text, pattern), expected);
}

void tst_SpeedFanPattern::invalid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("unclosed bracket") << "[x"
                                      << "[x";
    QTest::newRow("unclosed bracket after a star") << "ab"
                                                   << "a*[";
    QTest::newRow("downward range") << "b"
                                    << "[z-a]";
}

void tst_SpeedFanPattern::invalid()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QVERIFY(!WindowPattern::isValid(pattern));
    QVERIFY(!WindowPattern::matches(text, pattern));
}

QTEST_GUILESS_MAIN(tst_SpeedFanPattern)
#include "tst_speedfanpattern.moc"
