#include "sim/LcdModule.h"
#include "sim/TerminalView.h"

#include <QtTest>

class TestTerminalView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Plain output appends; on a terminal the second drawing climbs back over
    // the seven lines of the first.
    void redraw_data()
    {
        QTest::addColumn<TerminalView::Mode>("mode");
        QTest::addColumn<QString>("second");
        QTest::newRow("plain") << TerminalView::Mode::Plain
                               << QStringLiteral("Hi 21°C             \n");
        QTest::newRow("ansi") << TerminalView::Mode::Ansi << QStringLiteral("\x1b[7A\r┌");
    }
    void redraw()
    {
        QFETCH(TerminalView::Mode, mode);
        QFETCH(QString, second);
        LcdModule m;
        QString text;
        QTextStream out(&text);
        TerminalView view(m, out, mode);
        view.redraw();
        const qsizetype first = text.size();
        m.feed(QByteArray("Hi 21") + char(223) + "C");
        view.redraw();
        QVERIFY(text.mid(first).startsWith(second));
        QVERIFY(!text.left(first).contains(QLatin1String("\x1b[7A")));
    }

    void burstsCoalesce()
    {
        LcdModule m;
        QString text;
        QTextStream out(&text);
        TerminalView view(m, out, TerminalView::Mode::Plain);
        view.setMinimumInterval(50);
        for (int i = 0; i < 20; ++i)
            view.scheduleRedraw();
        QCOMPARE(view.redrawCount(), 1);
        view.finishPending();
        QCOMPARE(view.redrawCount(), 2);
        QTest::qWait(120);
        QCOMPARE(view.redrawCount(), 2);
        view.scheduleRedraw(); // the last drawing is old: at once
        QCOMPARE(view.redrawCount(), 3);
        view.scheduleRedraw(); // too soon: later, by the timer
        QCOMPARE(view.redrawCount(), 3);
        QTRY_COMPARE(view.redrawCount(), 4);
    }
};

QTEST_GUILESS_MAIN(TestTerminalView)
#include "tst_terminalview.moc"
