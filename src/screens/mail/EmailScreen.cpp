#include "screens/mail/EmailScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/Logging.h"
#include "platform/UserMessage.h"
#include "screens/mail/MailHeaders.h"
#include "screens/base/ScreenLines.h"

#include <QLocale>
#include <QUrl>

EmailScreen::EmailScreen(ScreenLines& lines, MessageSink& messages, LoadSettings loadSettings,
                         std::unique_ptr<Mailbox> mailbox)
    : m_lines(lines), m_messages(messages), m_loadSettings(std::move(loadSettings)),
      m_mailbox(std::move(mailbox))
{
}

// The mailbox goes first, so none of its answers arrives after this.
EmailScreen::~EmailScreen()
{
    m_mailbox.reset();
}

void EmailScreen::enter()
{
    // Read at every switch, so a change from the Mail dialog is used from
    // the next choice of the mode; another account means a new sign-on.
    MailSettings fresh = m_loadSettings();
    if (m_settings && !MailSettings::sameAccount(m_settings->account, fresh.account)) {
        if (m_signOn == SignOn::Running)
            cancelFetch();
        m_signOn = SignOn::NotYet;
        m_count = -1;
        m_toldNotSetUp = false;
    }
    m_settings = std::move(fresh);
    if (m_settings->account.url.isEmpty() && !m_toldNotSetUp) {
        m_toldNotSetUp = true;
        m_messages.showMessage(
            {QStringLiteral("POP Email has no mailbox to read: set one in the menu "
                            "Configuration, \"Mail...\", or with [Mail] Url in the settings "
                            "file (README, \"Mail mode\")."),
             MessageSeverity::Information, MessageCategory::Mail, true});
    }
    if (m_signOn == SignOn::NotYet)
        startSignOn();
}

void EmailScreen::startSignOn()
{
    if (!m_settings || m_settings->account.url.isEmpty())
        return;
    m_signOn = SignOn::Running;
    ++m_signOnAttempts;
    m_mailbox->signOn(m_settings->account,
                      [this](const MailboxResult& result) { signedOnWith(result); });
}

void EmailScreen::signedOnWith(const MailboxResult& result)
{
    FetchDone waiting = std::exchange(m_afterSignOn, FetchDone());
    if (!result.ok) {
        m_signOn = SignOn::NotYet; // tried again at the next refresh
        failed(QStringLiteral("sign-on"), result.error);
        if (waiting)
            waiting(false);
        return;
    }
    m_signOn = SignOn::Done;
    m_failure.succeeded();
    qCInfo(lcScreens).noquote() << "Signed on to" << m_settings->account.url;
    if (waiting)
        runCheck(std::move(waiting));
}

void EmailScreen::fetch(FetchDone done)
{
    if (!m_settings)
        enter();
    if (m_settings->account.url.isEmpty()) {
        // No mailbox: not "no mail", which would tell the user a falsehood.
        m_count = NotSetUp;
        done(true);
        return;
    }
    switch (m_signOn) {
    case SignOn::Done:
        runCheck(std::move(done));
        return;
    case SignOn::NotYet:
        startSignOn();
        [[fallthrough]];
    case SignOn::Running:
        m_afterSignOn = std::move(done);
        return;
    }
}

void EmailScreen::runCheck(FetchDone done)
{
    m_mailbox->check([this, done = std::move(done)](const MailboxResult& result) {
        if (result.count < 0) {
            failed(QStringLiteral("check"), result.error);
            done(false);
            return;
        }
        m_count = result.count;
        m_headersRead = result.headersRead;
        if (result.headersRead) {
            const MailHeaders headers = MailHeaders::parse(result.headers);
            const ModuleCodec& codec = m_lines.codec();
            m_from = codec.fromUnicode(headers.from);
            m_subject = codec.fromUnicode(headers.subject);
            // The date in the local zone; as written when it cannot be read.
            m_date = codec.fromUnicode(headers.date.isValid()
                                           ? QLocale().toString(headers.date.toLocalTime(),
                                                                QStringLiteral("ddd d MMM h:mm"))
                                           : headers.rawDate);
        }
        if (result.ok)
            m_failure.succeeded();
        else
            failed(QStringLiteral("check"), result.error);
        done(true);
    });
}

void EmailScreen::cancelFetch()
{
    m_mailbox->cancel();
    m_afterSignOn = {};
    // A sign-on under way went with it.
    if (m_signOn == SignOn::Running)
        m_signOn = SignOn::NotYet;
}

void EmailScreen::failed(const QString& what, const QString& error)
{
    if (!m_failure.failed())
        return;
    const QString host = QUrl(m_settings->account.url).host();
    m_messages.showMessage({QStringLiteral("Mail %1 at %2 failed: %3").arg(what, host, error),
                            MessageSeverity::Warning, MessageCategory::Mail, true});
}

// +--------------------+
// |3 Unread Messages   |  "No New Messages" and three empty lines for none
// |F:Jurgen Muller     |  display name, else the address
// |S:Grusse aus Koln   |
// |Sat 5 Dec 14:05     |  the date in the local zone
// +--------------------+
void EmailScreen::ShowEmail()
{
    if (m_count == NotSetUp) {
        m_lines.setLine(0, QByteArray("Mail Not Set Up"));
        m_lines.setLine(1, QByteArray());
        m_lines.setLine(2, QByteArray());
        m_lines.setLine(3, QByteArray());
        return;
    }
    if (m_count < 0)
        return; // nothing read yet
    if (m_count == 0) {
        m_lines.setLine(0, QByteArray("No New Messages"));
        m_lines.setLine(1, QByteArray());
        m_lines.setLine(2, QByteArray());
        m_lines.setLine(3, QByteArray());
        return;
    }
    m_lines.setLine(0, QByteArray::number(m_count) + " Unread Messages");
    // Reading message 0 failed: the other lines keep what they held.
    if (!m_headersRead)
        return;
    m_lines.setLine(1, "F:" + m_from);
    m_lines.setLine(2, "S:" + m_subject);
    m_lines.setLine(3, m_date);
}
