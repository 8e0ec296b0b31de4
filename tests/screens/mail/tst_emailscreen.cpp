#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/mail/EmailScreen.h"
#include "screens/mail/MailHeaders.h"
#include "support/LinkHarness.h"
#include "support/NetTestSupport.h"

#include <QtTest>

#include <ctime>

namespace {
// A mailbox the test answers by hand.
class ScriptedMailbox final : public Mailbox
{
public:
    void signOn(const MailAccount&, Done d) override { calls.append({"signOn", d}); }
    void check(Done d) override { calls.append({"check", d}); }
    void cancel() override { calls.clear(); }
    // Answers the oldest call, which must be `what`.
    void answer(const char* what, const MailboxResult& r)
    {
        QVERIFY2(!calls.isEmpty() && calls.first().first == QLatin1String(what), what);
        calls.takeFirst().second(r);
    }

    QList<std::pair<QString, Done>> calls;
};

// ok without an error; the headers read when given.
MailboxResult result(qint64 count, const QByteArray& headers = {}, const QString& error = {})
{
    return {error.isEmpty(), error, count, !headers.isEmpty(), headers};
}

// The screen over a scripted mailbox at `url` (empty: none), its lines filled
// with old text.
struct Rig
{
    explicit Rig(const QString& url = QStringLiteral("imaps://h/INBOX"))
    {
        auto mailbox = std::make_unique<ScriptedMailbox>();
        box = mailbox.get();
        MailSettings settings;
        settings.account.url = url;
        screen = std::make_unique<EmailScreen>(
            lines, messages, [settings] { return settings; }, std::move(mailbox));
        for (int i = 0; i < 4; ++i)
            lines.setLine(i, "old" + QByteArray::number(i + 1));
    }
    void fetch()
    {
        done.reset();
        screen->fetch([this](bool ok) { done = ok; });
    }
    QByteArray shown() const
    {
        return QByteArrayList{lines.line(0), lines.line(1), lines.line(2), lines.line(3)}.join('|');
    }

    ScreenLines lines;
    RecordedMessages messages;
    ScriptedMailbox* box = nullptr;
    std::unique_ptr<EmailScreen> screen;
    std::optional<bool> done; // what the last fetch answered
};
} // namespace

// The mail screen: its settings, the header fields it shows, its lines from
// what the mailbox answers, the once-per-run sign-on and one notice per run
// of failures.
class TestEmailScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Eastern time without daylight saving in December; English names.
        qputenv("TZ", "EST5EDT");
        ::tzset();
        QLocale::setDefault(QLocale::c());
    }

    // Text in, text out: header fields as mail clients read them, and the
    // mail settings.
    void text()
    {
        using Read = QString (*)(const QByteArray&);
        const Read decode = &MailHeaders::decodeText, name = &MailHeaders::displayName;
        const Read parse = [](const QByteArray& v) {
            const MailHeaders h = MailHeaders::parse(v);
            return h.from + '|' + h.subject + '|' + h.date.toUTC().toString(Qt::ISODate);
        };
        const Read load = [](const QByteArray& ini) {
            LinkHarness h;
            h.writeIni(ini);
            const MailAccount a = MailSettings::load(modINI(h.iniPath())).account;
            return QStringList({a.url, a.user, a.passwordCommand.join(','), a.caFile}).join('|');
        };
        const QString t = QStringLiteral("||2026-12-05T13:05:07Z");
        const struct
        {
            Read read;
            QByteArray value;
            QString text; // ~: the home folder
            const char* warning = nullptr;
        } rows[] = {
            {decode, " caf\xe9\t\x80 ", "caf\u00e9 \u20ac"},
            // Latin-1 is read as Windows-1252.
            {decode,
             "=?utf-8?b?R3LDvMOfZQ==?= =?ISO-8859-1?Q?=80_=E9?=", "Gr\u00fc\u00dfe\u20ac \u00e9"},
            {decode, "=?UTF-8*de?Q?=C3=A4?=", "\u00e4"},
            {decode, "Re: =?UTF-8?Q?a?=\r\n\t=?UTF-8?Q?b?= ok", "Re: ab ok"},
            {decode, "=?UTF-8?B?SsM=?= =?UTF-8?B?vHJnZW4=?=", "J\u00fcrgen"},
            {decode, "=?UTF-8?B?@@@?=", "=?UTF-8?B?@@@?="},
            {decode, "=?x-unknown?Q?caf=C3=A9?=", "caf\u00e9"},
            {name, "\"Example, \\\"Ann\\\"\" <ann@example.org>", "Example, \"Ann\""},
            {name, "=?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <j@example.org>, Bob <b@example.org>",
             "J\u00fcrgen M\u00fcller"},
            {name, "bob@example.org", "bob@example.org"},
            {name, "\"\" <bob@example.org>", "bob@example.org"},
            {name, "bob@example.org (Bob Smith)", "Bob Smith"},
            {parse, "Date: sat, 05 dec 2026 14:05:07 +0100 (CET)", t},
            {parse, "Date: Sat, 5 Dec 26 08:05:07 -0500", t},
            {parse, "Date: Sat, 5 Dec 2026 08:05:07 EST", t},
            {parse, "Date: yesterday\nFrom: =?UTF-8?Q?a_=3Cb=3E?= <c@example.org>", "a <b>||"},
            {parse,
             "Received: from x\r\n\tby y\r\nFROM: Ann <a@example.org>\r\nSubject: a long\r\n "
             "subject\r\nDate: soon\r\n\r\nSubject: not a header\r\n",
             "Ann|a long subject|"},
            {parse, "Subject: one\nSubject: two\nfrom: b@example.org\n", "b@example.org|one|"},
            {parse, "Subject: =?UTF-8?Q?Gr=C3=BC?=\r\n =?UTF-8?Q?=C3=9Fe?=", "|Gr\u00fc\u00dfe|"},
            // The [Mail] section as Url|User|PasswordCommand|CaFile; a password
            // never reaches the account from it.
            {load, "[Settings]\nCommPort=1\n", "|||"},
            // PasswordCommand split as a desktop entry's Exec line.
            {load,
             "[Mail]\nUrl=imaps://h/INBOX\nUser=ann\nCaFile=~/ca\nPasswordCommand=pw\t \"a b\"c "
             "\"\\\"\\\\\\$\\`\"\n",
             "imaps://h/INBOX|ann|pw,a bc,\"\\$`|~/ca"},
            {load, "[Mail]\nUrl=pop3s://h\nUser=ann\nPassword=hunter2\n", "pop3s://h|ann||",
             "\\[Mail\\] Password is ignored.*~/\\.netrc.*PasswordCommand"},
            {load, "[Mail]\nUrl=imaps://ann:hunter2@h/INBOX\n", "imaps://h/INBOX|ann||",
             "\\[Mail\\] Url's password is ignored"},
            {load, "[Mail]\nUrl=imap://bob@h:143/INBOX\nUser=ann\n", "imap://h:143/INBOX|ann||"},
            {load, "[Mail]\nUrl=imapx://ann:hunter2@h:99999/\n", "|||",
             "Url = \"imapx://h:99999/\" is not an imaps://"},
            {load, "[Mail]\nUrl=imaps://h/INBOX\nPasswordCommand=pass \"show\n",
             "imaps://h/INBOX|||", "unclosed quote"},
        };
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        for (const auto& r : rows) {
            if (r.warning)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(r.warning));
            const QString got = r.read(r.value);
            QVERIFY2(got == QString(r.text).replace('~', QDir::homePath()),
                     r.value + " gives " + got.toUtf8());
        }
    }

    // The lines from what a check brings; a notice when it fails.
    void refresh()
    {
        const QByteArray ann = "From: Ann Example <ann@example.org>\r\nSubject: Lunch on Friday\r\n"
                               "Date: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\n";
        const std::pair<MailboxResult, QByteArray> rows[] = {
            {result(0), "No New Messages|||"},
            {result(12, ann), "12 Unread Messages|F:Ann Example|S:Lunch on Friday|Sat 5 Dec 8:05"},
            // Control characters never reach the module.
            {result(1, "From: a\x01\x1b[2J <a@x.org>\r\nSubject: \xfe\x01x\r\nDate: soon\r\n"),
             "1 Unread Messages|F:a??[2J|S:??x|soon"},
            // Failing partway: the count is new, the other lines keep their text.
            {result(3, {}, "message UID 7 could not be read"), "3 Unread Messages|old2|old3|old4"},
            {result(-1, {}, "Timeout was reached"), "old1|old2|old3|old4"},
        };
        for (const auto& [checked, lines] : rows) {
            Rig s;
            s.screen->enter();
            s.box->answer("signOn", result(-1));
            s.fetch();
            s.box->answer("check", checked);
            // fetch fails only when nothing was read
            QVERIFY(s.done == (checked.count >= 0));
            if (*s.done)
                s.screen->ShowEmail(); // as the scheduler does
            QCOMPARE(s.shown(), lines);
            QCOMPARE(s.messages.shown.size(), checked.ok ? 0 : 1);
        }
    }

    // A sign-on cut short by another mode is made again at the next switch;
    // a failed one is told once and tried again at the next refresh; a new
    // run of failures after a success is told again. No mailbox, no sign-on.
    void signOn()
    {
        Rig s;
        s.screen->enter();
        s.fetch();
        s.screen->cancelFetch();
        s.screen->leave();
        QVERIFY(s.box->calls.isEmpty()); // cancelled
        s.screen->enter();
        s.box->answer("signOn", result(-1, {}, "Login denied"));
        QVERIFY(!s.done); // the cancelled fetch is never answered
        s.fetch();
        s.box->answer("signOn", result(-1, {}, "Couldn't connect to server"));
        QVERIFY(s.done == false);
        s.fetch();
        s.box->answer("signOn", result(-1));
        s.box->answer("check", result(0));
        QVERIFY(s.done == true);
        s.fetch();
        s.box->answer("check", result(-1, {}, "Timeout was reached"));
        QVERIFY(s.done == false);
        QCOMPARE(s.messages.shown.size(), 2);
        const UserMessage& m = s.messages.shown.first();
        QVERIFY(m.notice && m.category == MessageCategory::Mail &&
                m.severity == MessageSeverity::Warning);
        QCOMPARE(m.text, QStringLiteral("Mail sign-on at h failed: Login denied"));
        QCOMPARE(s.messages.shown.last().text,
                 QStringLiteral("Mail check at h failed: Timeout was reached"));

        // Without a mailbox the mode says so, once and where to set it.
        Rig none{QString()};
        for (int round = 0; round < 2; ++round) {
            none.screen->enter();
            none.fetch();
            QVERIFY(none.done == true);
            none.screen->ShowEmail();
            none.screen->leave();
        }
        QCOMPARE(none.shown(), QByteArray("Mail Not Set Up|||"));
        QVERIFY(none.box->calls.isEmpty());
        QCOMPARE(none.messages.shown.size(), 1);
        QVERIFY(none.messages.shown.first().text.contains(QLatin1String("[Mail] Url")));
    }
};

QTEST_GUILESS_MAIN(TestEmailScreen)
#include "tst_emailscreen.moc"
