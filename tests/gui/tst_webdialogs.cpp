#include "app/views/frmMain.h"
#include "screens/mail/MailSettings.h"
#include "support/LinkHarness.h"
#include "support/TestPlatform.h"
#include "support/TestWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// The Weather and Mail dialogs as the user sees them.
class TestWebDialogs : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

    template <typename T> static T* child(QObject* o, const char* name)
    {
        return o->findChild<T*>(QString::fromLatin1(name));
    }
    static QList<QMessageBox*> boxes(QWidget& w)
    {
        QList<QMessageBox*> open;
        for (QMessageBox* b : w.findChildren<QMessageBox*>()) {
            if (b->isVisible())
                open.append(b);
        }
        return open;
    }
private Q_SLOTS:
    // Opened from the menu on what the screens use; warnings keep the
    // dialog open; "OK" stores, closes and hands the place to the screen.
    void weather()
    {
        LinkHarness h;
        h.writeIni("[Weather]\nCity=Oslo\nCountry=Norway\nUpdate=5\n");
        TestApp c(h.iniPath(), m_platform);
        c.loadSettings();
        TestWindow w(c);
        w.show();
        child<QAction>(&w, "mnuWeather")->trigger();
        auto* d = child<QDialog>(&w, "frmWeather");
        QVERIFY(d && d->isVisible() && !d->isModal());
        auto* city = child<QLineEdit>(d, "txtCity");
        auto* country = child<QLineEdit>(d, "txtCountry");
        auto* update = child<QComboBox>(d, "cboUpdateW");
        auto* ok = child<QPushButton>(d, "cmdUpdateW");
        QCOMPARE(city->text(), QStringLiteral("Oslo"));
        QCOMPARE(country->text(), QStringLiteral("Norway"));
        QCOMPARE(update->currentText(), QStringLiteral("5"));

        city->clear();
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(boxes(w).size(), 1);
        QCOMPARE(boxes(w)[0]->text(), QStringLiteral("City Not Entered"));
        QCOMPARE(boxes(w)[0]->icon(), QMessageBox::Warning);
        QVERIFY(d->isVisible());
        // The box is the dialog's and has the focus: Return answers it.
        QCOMPARE(boxes(w)[0]->parentWidget(), d);
        QTRY_VERIFY(QApplication::focusWidget() &&
                    boxes(w)[0]->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(boxes(w).isEmpty());

        city->setText(QStringLiteral("Berlin"));
        country->setText(QStringLiteral("Germany"));
        update->setEditText(QStringLiteral("12"));
        const QPointer<QDialog> closing = d;
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!closing);
        QVERIFY(boxes(w).isEmpty());
        QCOMPARE(c.weather().WeatherCity, QStringLiteral("Berlin"));
        QCOMPARE(c.weather().WeatherUpdateSeconds, 720);
        QCOMPARE(c.ini().ReadIni(QStringLiteral("Weather"), QStringLiteral("Update")),
                 QStringLiteral("12"));
    }

    // The four [Mail] keys; no password; an address that is no mailbox is
    // refused on the dialog.
    void mail()
    {
        LinkHarness h;
        h.writeIni("[Mail]\nUrl=imaps://mail.example.org/INBOX\nUser=ann\n");
        TestApp c(h.iniPath(), m_platform);
        TestWindow w(c);
        w.show();
        child<QAction>(&w, "mnuMail")->trigger();
        auto* d = child<QDialog>(&w, "frmMail");
        QVERIFY(d && d->isVisible() && !d->isModal());
        auto* url = child<QLineEdit>(d, "txtUrl");
        QCOMPARE(url->text(), QStringLiteral("imaps://mail.example.org/INBOX"));
        QCOMPARE(child<QLineEdit>(d, "txtUser")->text(), QStringLiteral("ann"));
        const QString where = child<QLabel>(d, "lblPassword")->text();
        QVERIFY(where.contains("~/.netrc") && where.contains("mode 600"));
        auto* ok = child<QPushButton>(d, "cmdDone");

        url->setText(QStringLiteral("https://mail.example.org"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(boxes(w).size(), 1);
        QCOMPARE(boxes(w)[0]->parentWidget(), d);
        boxes(w)[0]->accept();
        QTRY_VERIFY(boxes(w).isEmpty());
        QVERIFY(d->isVisible());
        QVERIFY(h.readIni().contains("Url=imaps://mail.example.org/INBOX"));

        url->setText(QStringLiteral("pop3s://pop.example.org"));
        child<QLineEdit>(d, "txtPasswordCommand")->setText(QStringLiteral("pass show mail"));
        const QPointer<QDialog> closing = d;
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!closing);
        const MailSettings saved = MailSettings::load(c.ini());
        QCOMPARE(saved.account.url, QStringLiteral("pop3s://pop.example.org"));
        QCOMPARE(saved.account.passwordCommand, (QStringList{"pass", "show", "mail"}));
        QVERIFY(!h.readIni().contains("Password="));
    }
};

QTEST_MAIN(TestWebDialogs)
#include "tst_webdialogs.moc"
