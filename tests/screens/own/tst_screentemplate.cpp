#include "platform/modINI.h"
#include "screens/own/OwnScreenSettings.h"
#include "screens/own/ScreenTemplate.h"
#include "support/LinkHarness.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// Bar cells made readable: a full cell '#', a partial one its column count.
QByteArray readable(QByteArray codes)
{
    for (char& c : codes) {
        if (c == 5)
            c = '#';
        else if (c >= 1 && c <= 4)
            c = char('0' + c);
    }
    return codes;
}

const QHash<QString, QString> Values{
    {u"cpu"_s, u"42"_s},
    {u"time:HH:mm"_s, u"12:34"_s},
    {u"file:/x"_s, u"73%"_s},
    {u"title"_s, u"a\tb\x1b"_s + QChar(0x85) + u"c"_s},
    {u"host"_s, u"Zürich°"_s},
    {u"exec:awk '{print $1}' f"_s, u"ok"_s},
    {u"mqtt:home/t|v"_s, u"21.5"_s},
};

std::optional<QString> lookup(const QString& name, const QString& arg)
{
    const auto it = Values.find(arg.isEmpty() ? name : name + u':' + arg);
    return it == Values.end() ? std::nullopt : std::optional(*it);
}

// The section a save writes for a screen with the given first line, the rest defaults.
QByteArray block(const char* name, const char* line1, const char* more = "")
{
    QByteArray b = QByteArray("[Screen ") + name + "]\n";
    for (int i = 1; i <= 4; ++i)
        b += QStringLiteral("Line%1=%2\nAlign%1=left\nScroll%1=0\n")
                 .arg(i)
                 .arg(i == 1 ? QLatin1String(line1) : QLatin1String())
                 .toLatin1();
    return b + "Update=1\n" + more;
}

OwnScreenSettings screen(const char* name, const char* line1)
{
    OwnScreenSettings s;
    s.name = QLatin1String(name);
    s.lines[0] = QLatin1String(line1);
    return s;
}

} // namespace

class TestScreenTemplate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); } // only where expected

    // A template's whole line (bars readable), and the unknown names it keeps.
    void render()
    {
        const struct
        {
            const char* name;
            QString text;
            QByteArray line;
            QStringList unknown;
        } rows[] = {
            {"value", u"Load {CPU}%"_s, "Load 42%", {}},
            {"literal braces", u"{{x}} }"_s, "{x} }", {}},
            {"unknown kept",
             u"{nope} {cpu:1} {file} {bar:title} {bar:cpu:0} {bar:5:21}"_s,
             "{?nope} {?cpu:1} {?file} {?bar:title} {?bar:cpu:0} {?bar:5:21}",
             {u"nope"_s, u"cpu:1"_s, u"file"_s, u"bar:title"_s, u"bar:cpu:0"_s, u"bar:5:21"_s}},
            {"argument, missing value", u"{time:HH:mm}|{mem}|"_s, "12:34||", {}},
            {"control characters", u"{title}"_s, "a b  c", {}},
            {"codec", u"{host}"_s, "Zurich\xDF", {}},
            {"braces in a command", u"{exec:awk '{print $1}' f}"_s, "ok", {}},
            {"unclosed", u"x {cpu"_s, "x {cpu", {}},
            // 21.5 over 4 cells: round(4.3) = 4 columns.
            {"mqtt member and its bar",
             u"{mqtt:home/t|v} {bar:mqtt:home/t|v:4}"_s,
             "21.5 4   ",
             {}},
            {"mqtt filters",
             u"{mqtt:home/+/t}{mqtt:#|v}{mqtt:|v}"_s,
             "{?mqtt:home/+/t}{?mqtt:#|v}{?mqtt:|v}",
             {u"mqtt:home/+/t"_s, u"mqtt:#|v"_s, u"mqtt:|v"_s}},
            // 42 over 16 cells: round(33.6) = 34 columns.
            {"bar to the end", u"CPU {bar:cpu}"_s, "CPU ######4         ", {}},
            // 50 over 3: round(7.5) = 8; 73 over 4: round(14.6) = 15.
            {"fixed widths", u"{bar:50:3}{bar:file:/x:4}"_s, "#3 ### ", {}},
            // 19 cells left shared 10 + 9; -5 clamps to 0.
            {"two bars share", u"{bar:cpu}{bar:-5}!"_s, "####1              !", {}},
            {"bar over 100", u"{bar:250:2}"_s, "##", {}},
            {"bar not available", u"[{bar:mem:5}]"_s, "[     ]", {}},
        };
        for (const auto& row : rows) {
            const ScreenTemplate t = ScreenTemplate::parse(row.text);
            const QByteArray got = readable(t.render(lookup));
            QVERIFY2(got == row.line,
                     qPrintable(u"%1: got \"%2\" want \"%3\""_s.arg(
                         QLatin1String(row.name), QLatin1String(got), QLatin1String(row.line))));
            QVERIFY2(
                t.unknown() == row.unknown,
                qPrintable(QLatin1String(row.name) + u": unknown "_s + t.unknown().join(u',')));
        }
    }

    // Lit columns of a bar: round(v * 5w / 100), v clamped to 0..100.
    void barColumns()
    {
        const struct
        {
            double value;
            int width, columns;
        } rows[] = {{0, 20, 0}, {100, 20, 100}, {150, 4, 20}, {-3, 4, 0},
                    {50, 1, 3}, {1, 20, 1},     {0.9, 1, 0},  {99, 20, 99}};
        for (const auto& row : rows) {
            const int got = ScreenTemplate::barColumns(row.value, row.width);
            QVERIFY2(got == row.columns,
                     qPrintable(
                         u"%1 over %2: got %3 want %4"_s.arg(row.value).arg(row.width).arg(got).arg(
                             row.columns)));
        }
    }

    void leadingNumber()
    {
        const std::pair<QString, std::optional<double>> rows[] = {
            {u" 73%"_s, 73}, {u"42.5 C"_s, 42.5}, {u"-3"_s, -3}, {u"48123\n"_s, 48123},
            {u"abc"_s, {}},  {u""_s, {}},         {u"."_s, {}},  {u"+.5"_s, 0.5},
        };
        for (const auto& [text, want] : rows)
            QVERIFY2(ScreenTemplate::leadingNumber(text) == want, qPrintable(text));
    }

    // Four lines as the screen lines hold them: aligned, cut, or the scroller's window.
    void composeScreen()
    {
        using A = OwnScreenSettings::Align;
        const QString longText = u"abcdefghijklmnopqrstuvwxy"_s; // 25
        const struct
        {
            const char* name;
            std::array<A, 4> align;
            std::array<bool, 4> scroll;
            std::array<int, 4> offsets;
            std::array<QString, 4> lines;
            std::array<QByteArray, 4> want;
        } rows[] = {
            {"aligned",
             {A::Left, A::Center, A::Right, A::Center},
             {},
             {},
             {u"ab"_s, u"ab"_s, u"ab"_s, u"abc"_s},
             {"ab", "         ab", "                  ab", "        abc"}},
            {"cut, or scrolled by 0, 3 and past the end",
             {A::Right, A::Left, A::Left, A::Left},
             {false, true, true, true},
             {7, 0, 3, 27},
             {longText, longText, longText, longText},
             {"abcdefghijklmnopqrst", "abcdefghijklmnopqrst", "defghijklmnopqrstuvw",
              "bcdefghijklmnopqrstu"}},
            {"the separator comes round",
             {A::Left, A::Right, A::Left, A::Left},
             {true, true, false, false},
             {22, 1, 0, 0},
             {longText, u"short"_s, u"{cpu}"_s, u"{bar:cpu}"_s},
             {"wxy*abcdefghijklmnop", "               short", "42", "########2           "}},
        };
        for (const auto& row : rows) {
            OwnScreenSettings settings;
            settings.align = row.align;
            settings.scroll = row.scroll;
            settings.lines = row.lines;
            const auto got = ScreenTemplate::composeScreen(settings, lookup, row.offsets);
            for (int i = 0; i < 4; ++i)
                QVERIFY2(readable(got[i]) == row.want[i],
                         qPrintable(u"%1: line %2 got \"%3\" want \"%4\""_s.arg(
                             QLatin1String(row.name), QString::number(i + 1),
                             QLatin1String(readable(got[i])), QLatin1String(row.want[i]))));
        }
    }

    // [Screen NAME] sections in file order; unusable ones skipped with a warning.
    void loadAll()
    {
        LinkHarness h;
        h.writeIni("[Screen Home]\nLine1={cpu}\nAlign2=Right\nScroll3=1\nUpdate=60\n"
                   "[Other]\nx=1\n[screen b-2_]\nLine4=x\n[Screen Bad.Name]\n"
                   "[Screen ABCDEFGHIJKLMNOPQ]\n[Screen  home]\n"
                   "[Screen c]\nAlign1=middle\nUpdate=0\n");
        for (const char* why : {"Bad.Name", "ABCDEFGHIJKLMNOPQ", "home", "Align1", "Update"})
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1String(why)));
        const QList<OwnScreenSettings> got = OwnScreenSettings::loadAll(modINI(h.iniPath()));
        QStringList names;
        for (const OwnScreenSettings& s : got)
            names.append(s.name);
        QCOMPARE(names, (QStringList{u"Home"_s, u"b-2_"_s, u"c"_s}));
        OwnScreenSettings home = screen("Home", "{cpu}");
        home.align[1] = OwnScreenSettings::Align::Right;
        home.scroll[2] = true;
        home.updateSeconds = 60;
        QVERIFY(got[0] == home);
        QCOMPARE(got[1].lines[3], u"x"_s);
        QVERIFY(got[2] == screen("c", ""));
    }

    // One save of the whole list: places kept while the order allows, the rest after.
    void saveAll()
    {
        const struct
        {
            const char* name;
            QByteArray before;
            QList<OwnScreenSettings> screens;
            QByteArray after;
        } rows[] = {
            {"into an empty file",
             {},
             {screen("A", "x"), screen("B", "")},
             block("A", "x", "\n") + block("B", "")},
            {"changed, removed, added",
             "; mine\n[Screen A]\nLine1=old\n\n[Other]\nk=1\n\n[Screen B]\nLine1=b\n",
             {screen("A", "new"), screen("C", "c")},
             "; mine\n" + block("A", "new", "\n[Other]\nk=1\n\n") + block("C", "c")},
            {"reordered",
             block("A", "a", "\n") + block("B", "b"),
             {screen("B", "b"), screen("A", "a")},
             block("B", "b", "\n") + block("A", "a")},
            {"renamed in case", "[Screen a]\nLine1=a\n", {screen("A", "a")}, block("A", "a")},
            {"all removed",
             "[X]\nk=1\n\n[Screen A]\nLine1=a\n; after\n",
             {},
             "[X]\nk=1\n\n; after\n"},
            {"repeated name refused", "[X]\n", {screen("A", ""), screen("a", "")}, {}},
            {"bad name refused", "[X]\n", {screen("A B", "")}, {}},
        };
        for (const auto& row : rows) {
            LinkHarness h;
            if (!row.before.isNull())
                h.writeIni(row.before);
            if (row.after.isNull())
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"not saving"_s));
            modINI ini(h.iniPath());
            QVERIFY2(OwnScreenSettings::saveAll(ini, row.screens) == !row.after.isNull(), row.name);
            const QByteArray got = h.readIni();
            const QByteArray want = row.after.isNull() ? row.before : row.after;
            QVERIFY2(got == want,
                     qPrintable(u"%1: got\n%2\nwant\n%3"_s.arg(
                         QLatin1String(row.name), QLatin1String(got), QLatin1String(want))));
            if (!row.after.isNull())
                QVERIFY2(OwnScreenSettings::loadAll(ini) == row.screens, row.name);
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenTemplate)
#include "tst_screentemplate.moc"
