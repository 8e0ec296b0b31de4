#include "app/ScreensModel.h"
#include "platform/modINI.h"
#include "screens/clock/WorldTimeSettings.h"
#include "support/FixedClock.h"
#include "support/LinkHarness.h"
#include "support/NetTestSupport.h"

#include <QtTest>

using Align = OwnScreenSettings::Align;

namespace {

// The file without the screen keys that only restate a default, so each
// row shows what it is about.
QString withoutDefaults(const QByteArray& file)
{
    static const QRegularExpression defaulted(
        QStringLiteral("^(Line\\d=|Align\\d=left|Scroll\\d=0|Update=1)$"));
    QStringList kept;
    for (const QString& line : QString::fromUtf8(file).split(u'\n')) {
        if (!defaulted.match(line).hasMatch())
            kept << line;
    }
    return kept.join(u'\n');
}

// The module's bar characters 1..5 as digits, so a line reads in a message.
QString readable(QByteArray line)
{
    for (char& c : line)
        c = c >= 1 && c <= 5 ? char('0' + c) : c;
    return QString::fromLatin1(line);
}

} // namespace

// The Screens dialog's rules: names, order, the rotation's list, what OK
// refuses, and the one write it makes.
class TestScreensModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void confirm()
    {
        const QByteArray file = "[Screen Home]\nLine1=Load {cpu}%\n[Screen Screen1]\nLine1=x\n"
                                "[Rotation]\nScreens=clock,Home\nEnabled=1\n";
        const QString unchanged = QString::fromLatin1(file);
        const QString head = unchanged.left(unchanged.indexOf("Screens=") + 8);
        const QString saved = QStringLiteral("! Screens saved: in use from the next start\n");
        const QString nameRule =
            QStringLiteral("! A screen's name is 1 to 16 letters, digits, - and _\n");
        const auto setLine = [](ScreensModel& m, int screen, int line, const QString& text) {
            OwnScreenSettings s = m.screens()[screen];
            s.lines[line] = text;
            m.edit(screen, s);
        };
        // The file before (empty: the one above), what the user does before
        // OK and what that returns; then a line "! ..." for each warning,
        // notice and rotation handed over, and whether OK keeps the dialog
        // open; then the file after (keys that restate a screen's default
        // left out).
        const struct
        {
            const char* name;
            QByteArray ini;
            bool applier;
            std::function<QString(ScreensModel&)> act;
            QString want;
        } rows[] = {
            {"a new screen: the first free number, lines trimmed, listed",
             {},
             false,
             [](ScreensModel& m) {
                 const int i = m.add();
                 OwnScreenSettings s = m.screens()[i];
                 s.lines[0] = QStringLiteral("  Up {cpu}  ");
                 s.align[0] = Align::Right;
                 m.edit(i, s);
                 m.setListed(int(m.rotation().size()) - 1, true);
                 return m.screens()[i].name;
             },
             "Screen2\n" + saved + head +
                 "clock,Home,Screen2\nEnabled=1\nSeconds=10\n\n"
                 "[Screen Screen2]\nLine1=Up {cpu}\nAlign1=right\n"},
            {"a refused name stays as it was",
             {},
             false,
             [](ScreensModel& m) {
                 for (const char* name : {"my screen", "", "ABCDEFGHIJKLMNOPQ", "Clock", "screen1"})
                     m.rename(0, QString::fromLatin1(name));
                 return m.screens()[0].name;
             },
             "Home\n" + nameRule + nameRule + nameRule +
                 "! Clock is the name of a built-in mode\n"
                 "! There is already a screen named screen1\n" +
                 unchanged + "Seconds=10\n"},
            {"a rename (its own name in other letters) and a move reach the file and the rotation",
             {},
             false,
             [](ScreensModel& m) {
                 m.rename(0, QStringLiteral("HOME"));
                 return QString::number(m.move(0, 5));
             },
             "1\n" + saved +
                 "[Rotation]\nScreens=clock,HOME\nEnabled=1\nSeconds=10\n\n"
                 "[Screen Screen1]\nLine1=x\n\n[Screen HOME]\nLine1=Load {cpu}%\n"},
            {"a removed screen leaves the file and the rotation",
             {},
             false,
             [](ScreensModel& m) {
                 m.remove(0);
                 return QString::number(m.rotation().size());
             },
             "9\n" + saved +
                 "[Screen Screen1]\nLine1=x\n[Rotation]\nScreens=clock\nEnabled=1\nSeconds=10\n"},
            {"the list as the table names its modes, without a gone one and a repeat",
             "[Screen Home]\n[Rotation]\nScreens=Time And Date, CPU,Gone,cpu,home\nSeconds=7\n",
             false,
             [](ScreensModel& m) {
                 QStringList rows;
                 for (const auto& row : m.rotation().mid(0, 4))
                     rows << row.caption + (row.listed ? "+" : "-");
                 return rows.join(u',');
             },
             "Time And Date+,CPU Info+,Home+,Large Characters Clock-\n"
             "[Screen Home]\n[Rotation]\nScreens=time,cpu,Home\nSeconds=7\n"},
            {"handed to the running rotation, Enabled as the file has it",
             {},
             true,
             [](ScreensModel& m) {
                 m.setRotationSeconds(3600);
                 return QString::number(m.moveRotation(1, -1));
             },
             "0\n! applied Home,clock 3600 on\n" + head + "Home,clock\nEnabled=1\nSeconds=3600\n"},
            {"a preview: trimmed, sample values, the clock's time",
             {},
             false,
             [&](ScreensModel& m) {
                 setLine(m, 0, 0, QStringLiteral(" {time:HH:mm} {bar:50:4}{unread} "));
                 return readable(m.preview(0, 0)[0]);
             },
             "14:05 55  3\n" + saved +
                 QString(unchanged).replace("Load {cpu}%", "{time:HH:mm} {bar:50:4}{unread}") +
                 "Seconds=10\n"},
            {"an unknown value",
             {},
             false,
             [&](ScreensModel& m) {
                 setLine(m, 0, 1, QStringLiteral("{cpu} {foo:1}"));
                 return m.problems(0).join(u'/');
             },
             "line 2: {foo:1} is not a value\n! Screen Home, line 2: {foo:1} is not a value\n! "
             "stays open\n" +
                 unchanged},
            {"a line longer than the file keeps",
             {},
             false,
             [&](ScreensModel& m) {
                 setLine(m, 1, 3, QString(255, u'a'));
                 return QString();
             },
             "\n! Screen Screen1, line 4 is longer than 254 characters\n! stays open\n" +
                 unchanged},
            {"updates out of range",
             {},
             false,
             [](ScreensModel& m) {
                 OwnScreenSettings s = m.screens()[0];
                 s.updateSeconds = 0;
                 m.edit(0, s);
                 return QString();
             },
             "\n! Screen Home, it is updated every 1 to 3600 seconds\n! stays open\n" + unchanged},
            {"rotation seconds out of range",
             {},
             false,
             [](ScreensModel& m) {
                 m.setRotationSeconds(2);
                 return QString();
             },
             "\n! Each screen of the rotation shows 3 to 3600 seconds\n! stays open\n" + unchanged},
            {"the rotation on with nothing listed",
             {},
             false,
             [](ScreensModel& m) {
                 m.setListed(0, false);
                 m.setListed(1, false);
                 return QString();
             },
             "\n! The rotation is on: list at least one screen for it\n! stays open\n" + unchanged},
            {"a screen of the file named as a built-in mode", "[Screen clock]\nLine1=x\n", false,
             [](ScreensModel&) { return QString(); },
             "\n! clock is the name of a built-in mode: rename the screen\n! stays open\n"
             "[Screen clock]\nLine1=x\n"},
        };
        for (const auto& row : rows) {
            LinkHarness h;
            h.writeIni(row.ini.isEmpty() ? file : row.ini);
            modINI ini(h.iniPath());
            RecordedMessages warnings, notices;
            QStringList applied;
            const FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7)));
            const WorldTimeSettings worldTime;
            std::function<void(const RotationSettings&)> apply;
            if (row.applier) {
                apply = [&applied](const RotationSettings& r) {
                    applied << QStringLiteral("applied %1 %2 %3")
                                   .arg(r.Screens.join(u','))
                                   .arg(r.Seconds)
                                   .arg(r.Enabled ? "on" : "off");
                };
            }
            ScreensModel model(ini, AppContext::builtInModes(), warnings, notices,
                               ScreensModel::sampleValues(clock, worldTime), apply);
            QStringList got{row.act(model)};
            const bool closes = model.confirm();
            for (const RecordedMessages* sink : {&warnings, &notices}) {
                for (const UserMessage& m : sink->shown)
                    got << "! " + m.text;
            }
            for (const QString& a : applied)
                got << "! " + a;
            if (!closes)
                got << QStringLiteral("! stays open");
            got << withoutDefaults(h.readIni());
            QVERIFY2(got.join(u'\n') == row.want,
                     qPrintable(QStringLiteral("%1: got\n%2\nwant\n%3")
                                    .arg(row.name, got.join(u'\n'), row.want)));
        }
    }
};

QTEST_GUILESS_MAIN(TestScreensModel)
#include "tst_screensmodel.moc"
