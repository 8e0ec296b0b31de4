#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/mail/EmailScreen.h"
#include "support/NetTestSupport.h"

#include "support/LinkHarness.h"
#include <QtTest>

#include <ctime>

namespace {
// A mailbox the test answers by hand.
class ScriptedMailbox final : public Mailbox
{
public:
    struct Call
    {
        QString what;
        MailAccount account;
        Done done;
    };
    void signOn(const MailAccount& a, Done d) override { calls.append({"signOn", a, d}); }
    void check(Done d) override { calls.append({"check", {}, d}); }
    void cancel() override
    {
        ++cancels;
        calls.clear();
    }
    // Answers the oldest call, which must be `what`.
    void answer(const QString& what, const MailboxResult& r)
    {
        QVERIFY2(!calls.isEmpty() && calls.first().what == what, qPrintable(what));
        calls.takeFirst().done(r);
    }

    QList<Call> calls;
    int cancels = 0;
};

MailboxResult result(bool ok, qint64 count = -1, const QByteArray& headers = {},
                     const QString& error = {})
{
    return {ok, error, count, count > 0 && ok, headers};
}
const MailboxResult SignedOn = result(true);
} // namespace

Q_DECLARE_METATYPE(MailboxResult)

// The screen's lines from what the mailbox answers, the once-per-run
// sign-on, and one notice per run of failures.
class TestEmailScreen : public QObject
{
    Q_OBJECT
    std::optional<LinkHarness> m_h;
    ScreenLines m_lines;
    RecordedMessages m_messages;
    ScriptedMailbox* m_box = nullptr;
    std::unique_ptr<EmailScreen> m_screen;
    std::unique_ptr<modINI> m_ini;

    void
    makeScreen(const QByteArray& ini = "[Mail]\nUrl=imaps://mail.example.org/INBOX\nUser=ann\n")
    {
        m_screen.reset();
        m_h.emplace().writeIni(ini);
        m_ini = std::make_unique<modINI>(m_h->iniPath());
        auto box = std::make_unique<ScriptedMailbox>();
        m_box = box.get();
        m_screen = std::make_unique<EmailScreen>(
            m_lines, m_messages, [this] { return MailSettings::load(*m_ini); }, std::move(box));
    }

    void fill()
    {
        for (int i = 0; i < 4; ++i)
            m_lines.setLine(i, "old" + QByteArray::number(i + 1));
    }

    QList<QByteArray> lines() const
    {
        return {m_lines.line(0), m_lines.line(1), m_lines.line(2), m_lines.line(3)};
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Eastern time without daylight saving in December; English names.
        qputenv("TZ", "EST5EDT");
        ::tzset();
        QLocale::setDefault(QLocale::c());
    }

    void init()
    {
        m_messages.shown.clear();
        makeScreen();
    }

    void cleanup() { m_screen.reset(); }

    void refresh_data()
    {
        QTest::addColumn<MailboxResult>("result");
        QTest::addColumn<bool>("reported"); // fetch's done
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::addColumn<bool>("notice");
        const QByteArray ann = "From: Ann Example <ann@example.org>\r\nSubject: Lunch on Friday\r\n"
                               "Date: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\n";
        QTest::newRow("empty mailbox")
            << result(true, 0) << true << QList<QByteArray>{"No New Messages", "", "", ""} << false;
        QTest::newRow("12 unread") << result(true, 12, ann) << true
                                   << QList<QByteArray>{"12 Unread Messages", "F:Ann Example",
                                                        "S:Lunch on Friday", "Sat 5 Dec 8:05"}
                                   << false;
        QTest::newRow("control characters never reach the module")
            << result(true, 1,
                      "From: a\x01\x1b[2J <a@example.org>\r\nSubject: \xfe\x01x\r\nDate: soon\r\n")
            << true << QList<QByteArray>{"1 Unread Messages", "F:a??[2J", "S:??x", "soon"} << false;
        // Failing partway: the count is new, the other lines keep their text.
        QTest::newRow("count read, message 0 not")
            << result(false, 3, {}, "message UID 7 could not be read") << true
            << QList<QByteArray>{"3 Unread Messages", "old2", "old3", "old4"} << true;
        QTest::newRow("nothing read") << result(false, -1, {}, "Timeout was reached") << false
                                      << QList<QByteArray>{"old1", "old2", "old3", "old4"} << true;
    }

    void refresh()
    {
        QFETCH(MailboxResult, result);
        QFETCH(bool, reported);
        QFETCH(QList<QByteArray>, expected);
        QFETCH(bool, notice);

        m_screen->enter();
        m_box->answer(QStringLiteral("signOn"), SignedOn);
        fill();
        std::optional<bool> done;
        m_screen->fetch([&done](bool ok) { done = ok; });
        m_box->answer(QStringLiteral("check"), result);
        QCOMPARE(done, std::optional<bool>(reported));
        if (*done)
            m_screen->ShowEmail(); // as the scheduler does
        QCOMPARE(lines(), expected);
        QCOMPARE(m_messages.shown.size(), notice ? 1 : 0);
        if (notice) {
            const UserMessage& m = m_messages.shown.first();
            QCOMPARE(m.category, MessageCategory::Mail);
            QVERIFY(m.notice);
            QVERIFY2(m.text.contains(result.error) && m.text.contains("mail.example.org"),
                     qPrintable(m.text));
        }
    }

    // A failed sign-on is told once, tried again at the next refresh, and a
    // new run of failures after a success is told again.
    void failuresToldOncePerRun()
    {
        m_screen->enter();
        std::optional<bool> done;
        m_screen->fetch([&done](bool ok) { done = ok; });
        m_box->answer(QStringLiteral("signOn"),
                      result(false, -1, {}, "Login denied (server: [AUTH] failed.)"));
        QCOMPARE(done, std::optional<bool>(false));
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(
            m_messages.shown.first().text,
            QStringLiteral(
                "Mail sign-on at mail.example.org failed: Login denied (server: [AUTH] failed.)"));
        QCOMPARE(m_messages.shown.first().severity, MessageSeverity::Warning);

        // The next refresh signs on again; the same failure is not told twice.
        done.reset();
        m_screen->fetch([&done](bool ok) { done = ok; });
        m_box->answer(QStringLiteral("signOn"),
                      result(false, -1, {}, "Couldn't connect to server"));
        QCOMPARE(done, std::optional<bool>(false));
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_screen->signOnAttempts(), 2);

        m_screen->fetch([&done](bool ok) { done = ok; });
        m_box->answer(QStringLiteral("signOn"), SignedOn);
        m_box->answer(QStringLiteral("check"), result(true, 0));
        QCOMPARE(done, std::optional<bool>(true));

        m_screen->fetch([&done](bool ok) { done = ok; });
        m_box->answer(QStringLiteral("check"), result(false, -1, {}, "Timeout was reached"));
        QCOMPARE(done, std::optional<bool>(false));
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY(m_messages.shown.last().text.startsWith(
            QLatin1String("Mail check at mail.example.org failed")));
    }

    // Another mode chosen while the mailbox is busy: its answer is dropped,
    // and the sign-on it interrupted is made again at the next switch.
    void cancelledWhileBusy()
    {
        m_screen->enter();
        bool called = false;
        m_screen->fetch([&called](bool) { called = true; });
        m_screen->cancelFetch();
        m_screen->leave();
        QCOMPARE(m_box->cancels, 1);
        QVERIFY(m_box->calls.isEmpty());
        QVERIFY(!called);
        m_screen->enter();
        QCOMPARE(m_box->calls.size(), 1);
        QCOMPARE(m_box->calls.first().what, QStringLiteral("signOn"));
        QCOMPARE(m_screen->signOnAttempts(), 2);
    }

    // Without a mailbox the mode says so and never signs on.
    void noMailbox()
    {
        makeScreen("[Mail]\nUser=ann\n");
        fill();
        for (int round = 0; round < 2; ++round) {
            m_screen->enter();
            std::optional<bool> done;
            m_screen->fetch([&done](bool ok) { done = ok; });
            QCOMPARE(done, std::optional<bool>(true));
            m_screen->ShowEmail();
            m_screen->leave();
        }
        // Not "No New Messages": there is no mailbox. Said once, where to set it.
        QCOMPARE(lines(), (QList<QByteArray>{"Mail Not Set Up", "", "", ""}));
        QVERIFY(m_box->calls.isEmpty());
        QCOMPARE(m_screen->signOnAttempts(), 0);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.first().text.contains(QLatin1String("[Mail] Url")));
    }
};

QTEST_GUILESS_MAIN(TestEmailScreen)
#include "tst_emailscreen.moc"
