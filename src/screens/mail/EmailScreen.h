#pragma once

#include "platform/Mailbox.h"
#include "platform/ReportOnce.h"
#include "screens/base/ModeScreen.h"
#include "screens/mail/MailSettings.h"

#include <QByteArray>

#include <functional>

#include <memory>
#include <optional>

class MessageSink;
class ScreenLines;

// The "POP Email" mode: how many unread messages wait in the mailbox of
// [Mail], and the sender, subject and date of the oldest of them. The mode
// switch signs on once per run; the scheduler refreshes at the switch and
// every RefreshTicks ticks. Nothing here waits for the server: the mailbox
// answers later, and a refresh that fails keeps the lines as they are.
class EmailScreen final : public ModeScreen
{
public:
    static constexpr int RefreshTicks = 60;

    // Reads [Mail] afresh.
    using LoadSettings = std::function<MailSettings()>;

    EmailScreen(ScreenLines& lines, MessageSink& messages, LoadSettings loadSettings,
                std::unique_ptr<Mailbox> mailbox);
    ~EmailScreen() override;

    Traits traits() const override
    {
        return {.cadence = Cadence::CountedTicks,
                .writesLines = true,
                .needsInternet = false,
                .glyphUploads = 0,
                .timerMs = 0};
    }
    int refreshTicks() const override { return RefreshTicks; }

    // Reads [Mail], and signs on unless that is done or under way for the
    // same account.
    void enter() override;
    // Signs on first when that has not worked yet, then checks the mailbox.
    // Reports false when nothing could be read; true also when only the
    // count came (line 1 is then new, the others keep their text).
    void fetch(FetchDone done) override;
    void cancelFetch() override;

    void ShowEmail();

    bool signedOn() const { return m_signOn == SignOn::Done; }
    // The unread count the last fetch read; nothing before one did.
    std::optional<qint64> unreadCount() const
    {
        return m_count >= 0 ? std::optional(m_count) : std::nullopt;
    }
    // Sign-ons started in this run, successful or not.
    int signOnAttempts() const { return m_signOnAttempts; }

private:
    enum class SignOn { NotYet, Running, Done };

    void startSignOn();
    void signedOnWith(const MailboxResult& result);
    void runCheck(FetchDone done);
    void failed(const QString& what, const QString& error);

    ScreenLines& m_lines;
    MessageSink& m_messages;
    LoadSettings m_loadSettings;
    std::unique_ptr<Mailbox> m_mailbox;

    std::optional<MailSettings> m_settings; // read at each switch
    SignOn m_signOn = SignOn::NotYet;
    int m_signOnAttempts = 0;
    FetchDone m_afterSignOn; // a refresh waiting for the sign-on
    ReportOnce m_failure;    // one notice per run of failures

    // What the last refresh read; shown by ShowEmail.
    qint64 m_count = -1;
    bool m_headersRead = false;
    QByteArray m_from, m_subject, m_date; // module codes
    // No [Mail] Url: the mode says so rather than "No New Messages".
    static constexpr qint64 NotSetUp = -2;
    bool m_toldNotSetUp = false;
};
