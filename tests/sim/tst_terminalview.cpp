#include "sim/LcdModule.h"
#include "sim/TerminalView.h"

#include <QtTest>

class TestTerminalView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A drawing climbs back over the seven lines of the last one. A burst of
    // changes costs one drawing now and one when the interval is over.
    void redraw()
    {
        LcdModule m;
        QString text;
        QTextStream out(&text);
        TerminalView view(m, out, TerminalView::Mode::Ansi);
        view.setMinimumInterval(50);
        for (int i = 0; i < 20; ++i)
            view.scheduleRedraw();
        QCOMPARE(view.redrawCount(), 1);
        QVERIFY(text.startsWith(QStringLiteral("┌"))); // the first one climbs nowhere
        m.feed(QByteArray("Hi 21") + char(223) + "C");
        QTRY_COMPARE(view.redrawCount(), 2);
        QTest::qWait(120);
        QCOMPARE(view.redrawCount(), 2);
        QVERIFY(text.contains(QStringLiteral("\x1b[7A\r┌")));
        QVERIFY(text.contains(QStringLiteral("│Hi 21°C")));
    }
};

QTEST_GUILESS_MAIN(TestTerminalView)
#include "tst_terminalview.moc"
