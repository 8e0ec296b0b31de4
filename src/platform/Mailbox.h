#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Where the mail screen's mailbox is and how Brellix signs on to it. The
// password itself is never part of it: it comes from passwordCommand, or
// else from ~/.netrc, when the mailbox signs on.
struct MailAccount
{
    // imaps://host/INBOX, imap://host/INBOX (STARTTLS required),
    // pop3s://host or pop3://host (STARTTLS required).
    QString url;
    QString user;
    // Program and arguments whose first output line is the password; empty
    // for ~/.netrc.
    QStringList passwordCommand;
    // An extra CA certificate file; empty for the system's trust store only.
    QString caFile;
};

// What one visit to the mailbox found.
struct MailboxResult
{
    bool ok = false;
    // What went wrong, with the server's own words where it gave any.
    QString error;
    // Unread messages (IMAP), or all of the maildrop (POP3); -1 while not read.
    qint64 count = -1;
    // The header lines of message 0 (the oldest unread), as the server sent
    // them; only meaningful when headersRead.
    bool headersRead = false;
    QByteArray headers;
};

// A mailbox reached over the network. Every call returns at once: the
// traffic runs away from the caller's thread and done runs later on the
// caller's thread (its event loop), unless the call was cancelled.
class Mailbox
{
public:
    using Done = std::function<void(const MailboxResult& result)>;

    virtual ~Mailbox() = default;

    // Connects and logs in (and, over IMAP, opens the mailbox of the URL).
    // The connection is kept for the later checks and made again when the
    // server has dropped it.
    virtual void signOn(const MailAccount& account, Done done) = 0;
    // Counts the unread messages and reads the headers of message 0, over
    // the account of the last signOn.
    virtual void check(Done done) = 0;
    // Drops what is under way or queued; its done is never called.
    virtual void cancel() = 0;
};
