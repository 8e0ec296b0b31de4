#include "codec/TextDecoding.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Text that did not say its charset: UTF-8 when it is valid UTF-8, else
// Windows-1252 as web browsers read it.
class TestTextDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void utf8OrWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80")
                               << u"Zürich € \U0001F600"_s;
        QTest::newRow("byte order mark dropped") << QByteArray("\xef\xbb\xbfk=v") << "k=v";
        QTest::newRow("Windows-1252")
            << QByteArray("Z\xfcrich \x80 \x8a\x9a \x93x\x94 \x9f\xa0\xff")
            << u"Zürich € Šš “x” Ÿ\u00a0ÿ"_s;
        QTest::newRow("undefined bytes: the control characters of that value")
            << QByteArray("\x81\x8d\x8f\x90\x9d") << u"\u0081\u008d\u008f\u0090\u009d"_s;
        QTest::newRow("one bad byte makes all of it Windows-1252")
            << QByteArray("caf\xc3\xa9 caf\xe9") << u"cafÃ© café"_s;
        QTest::newRow("cut UTF-8 sequence") << QByteArray("caf\xc3") << u"cafÃ"_s;
        QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("\xc0\xaf") << u"À¯"_s;
        QTest::newRow("NUL and controls kept")
            << QByteArray("a\0\x01\xfe", 4) << QString::fromLatin1("a\0\x01\xfe", 4);
    }
    void utf8OrWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QTEST(TextDecoding::utf8OrWindows1252(bytes), "text");
    }
};

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "tst_textdecoding.moc"
