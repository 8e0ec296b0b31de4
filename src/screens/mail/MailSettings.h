#pragma once

#include "platform/Mailbox.h"

#include <QString>
#include <QStringList>

class modINI;

// The mail screen's section of brellix.ini:
//
//   [Mail]
//   Url             = imaps://host/INBOX, imap://host:143/INBOX (STARTTLS
//                     required), pop3s://host or pop3://host (STARTTLS
//                     required); empty: no mailbox
//   User            = login name
//   PasswordCommand = a program and its arguments whose first output line is
//                     the password ("pass show mail"); run without a shell,
//                     split as a desktop entry's Exec line; empty: ~/.netrc
//   CaFile          = an extra CA certificate file; empty: the system's only
//
// A password is never read from here: a Password key, or a password in the
// Url, is ignored with a warning that says where it belongs.
struct MailSettings
{
    static constexpr const char* Section = "Mail";
    static constexpr const char* UrlKey = "Url";
    static constexpr const char* UserKey = "User";
    static constexpr const char* PasswordCommandKey = "PasswordCommand";
    static constexpr const char* CaFileKey = "CaFile";
    static constexpr const char* PasswordKey = "Password"; // refused, see above

    MailAccount account; // url empty: no mailbox

    static MailSettings load(const modINI& ini);

    // The four keys as written, for the Mail dialog.
    struct Entries
    {
        QString url;
        QString user;
        QString passwordCommand;
        QString caFile;
    };
    static Entries entries(const modINI& ini);
    // The four keys, in one save. The password is never among them.
    static bool save(modINI& ini, const Entries& entries);
    // Why url cannot be a mailbox (not one of the four kinds, or holding a
    // password); empty when it can, and for no mailbox at all.
    static QString urlProblem(const QString& url);

    static bool sameAccount(const MailAccount& a, const MailAccount& b);

    // Splits a command line as the Desktop Entry rules split an Exec value:
    // words between spaces; a word in double quotes keeps its spaces, and in
    // it a backslash makes the next " ` $ or \ literal. False for an
    // unclosed quote or an empty line.
    static bool splitCommand(const QString& line, QStringList& arguments);
};
