#include "support/TimeTestSupport.h"

#include "screens/base/modCustomChar.h"

class TestModCustomChar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadCustomChars_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QByteArray>("writes");
        // FE 64 with glyph 0, glyphs 1 to 7, FE 08: 68 bytes in nine writes.
        QTest::newRow("open") << true
                              << QByteArray("FE64080C0E0F0E0C0800 00000E0E0E0E0000 "
                                            "00001B1B1B1B0000 00041C1C1C040000 00051C1D1C050000 "
                                            "080C0E0F0E0C0800 001F11110E040400 000E0E0404040400 "
                                            "FE08");
        QTest::newRow("closed") << false << QByteArray();
    }
    void loadCustomChars()
    {
        QFETCH(bool, open);
        QFETCH(QByteArray, writes);
        PtyLink pty;
        if (open)
            QVERIFY(pty.open());
        pty.link.SendLcd("kept");
        pty.takeWrites();
        // Written straight to the port, not through the output buffer.
        QCOMPARE(modCustomChar::LoadCustomChars(pty.link), open);
        QCOMPARE(pty.takeWrites(), hexWrites(writes));
        QCOMPARE(pty.link.lcdOut(), QByteArray("kept"));
    }
};

QTEST_GUILESS_MAIN(TestModCustomChar)
#include "tst_modcustomchar.moc"
