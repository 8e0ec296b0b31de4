#pragma once

#include "platform/Mailbox.h"

#include <memory>

// The mailbox over libcurl: IMAP (the unread messages of the URL's mailbox)
// or POP3 (every message of the maildrop). TLS is always verified, peer and
// host name; a plain imap:// or pop3:// connection is upgraded with STARTTLS
// or refused. All traffic runs on a worker thread of its own, one request at
// a time; each result is posted back to the thread that made the mailbox.
class CurlMailbox final : public Mailbox
{
public:
    // A request (sign-on, or one check) that takes longer is given up.
    static constexpr int DefaultTimeoutMs = 30000;
    // The password command may wait for the user (a keyring or GnuPG
    // asking for its passphrase), so it gets longer.
    static constexpr int PasswordCommandTimeoutMs = 120000;

    explicit CurlMailbox(int timeoutMs = DefaultTimeoutMs);
    // Stops the request under way (within about a second) and the worker.
    ~CurlMailbox() override;
    CurlMailbox(const CurlMailbox&) = delete;
    CurlMailbox& operator=(const CurlMailbox&) = delete;

    void signOn(const MailAccount& account, Done done) override;
    void check(Done done) override;
    void cancel() override;

    // Why a netrc file must not be used (it is readable or writable by
    // others, or belongs to someone else), or empty when it may be.
    static QString netrcProblem(const QString& path);

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};
