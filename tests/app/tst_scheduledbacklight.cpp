#include "app/ScheduledBacklight.h"
#include "lcd/LcdLink.h"
#include "lcd/LinkController.h"
#include "support/FixedClock.h"

#include <QtTest>

// The backlight's hours under a clock the test sets, minute by minute.
class TestScheduledBacklight : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hours()
    {
        // Steps: "HH:mm lit|dark" moves the clock on to that time (the next
        // day's when it is earlier), checks, and compares the backlight;
        // "-HH:mm" sets the clock back to it, the same day; "on!" and "off!"
        // are the backlight's buttons pressed.
        const struct
        {
            const char* name;
            const char* off;
            const char* on;
            const char* steps;
        } rows[] = {
            {"across midnight", "23:00", "07:00",
             "22:59 lit  23:00 dark  00:00 dark  06:59 dark  07:00 lit"},
            {"within a day", "09:30", "17:15", "09:29 lit  09:30 dark  17:14 dark  17:15 lit"},
            {"started inside", "23:00", "07:00", "03:00 dark"},
            {"equal times: no hours", "12:00", "12:00", "11:59 lit  12:00 lit  off!  12:01 dark"},
            {"no On: no hours", "23:00", "", "22:00 lit  23:30 lit"},
            {"empty", "", "", "12:00 lit  off!  23:30 dark  07:00 dark"},
            {"on by hand at night holds until On", "23:00", "07:00",
             "23:30 dark  on!  23:31 lit  06:59 lit  07:00 lit  23:00 dark"},
            {"off by hand by day, lit again at On", "23:00", "07:00",
             "12:00 lit  off!  12:01 dark  23:00 dark  07:00 lit"},
            {"slept through the hours", "01:00", "05:00", "00:30 lit  off!  06:00 lit"},
            {"set back into the hours", "23:00", "07:00", "08:00 lit  -03:00 dark"},
            {"set back within them, a choice holds", "23:00", "07:00",
             "23:30 dark  on!  23:45 lit  -23:35 lit"},
        };
        const QString HHmm = QStringLiteral("HH:mm");
        for (const auto& r : rows) {
            LcdLink link;
            LinkController control(link);
            const QStringList steps = QString::fromLatin1(r.steps).split(u' ', Qt::SkipEmptyParts);
            // The schedule is taken at the first step's time.
            FixedClock clock(QDateTime(QDate(2026, 6, 10), QTime::fromString(steps[0], HHmm)));
            ScheduledBacklight backlight(control, clock);
            backlight.configure({QTime::fromString(QLatin1String(r.off), HHmm),
                                 QTime::fromString(QLatin1String(r.on), HHmm)});
            for (qsizetype i = 0; i < steps.size(); ++i) {
                if (steps[i] == u"on!" || steps[i] == u"off!") {
                    steps[i] == u"on!" ? control.backlightOnClicked()
                                       : control.backlightOffClicked();
                    continue;
                }
                const bool back = steps[i].startsWith(u'-');
                const QTime time = QTime::fromString(steps[i].mid(back ? 1 : 0), HHmm);
                QDateTime at = clock.now();
                at.setTime(time);
                if (!back && at < clock.now())
                    at = at.addDays(1);
                clock.advanceSecs(clock.now().secsTo(at));
                backlight.check();
                const QString want = steps[++i];
                const QString got =
                    control.backlightOn() ? QStringLiteral("lit") : QStringLiteral("dark");
                QVERIFY2(got == want,
                         qPrintable(QStringLiteral("%1: at %2 got %3 want %4")
                                        .arg(QLatin1String(r.name), time.toString(), got, want)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestScheduledBacklight)
#include "tst_scheduledbacklight.moc"
