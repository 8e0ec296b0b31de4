#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// A PasswordCommand of the settings file ([Mail], [MQTT]): a program and its
// arguments, run without a shell, whose first output line is the password.
// It may wait for the user (a keyring or GnuPG prompt), so run() blocks:
// call it from a worker thread. Its standard error may hold the secret and
// is never read; the password is never logged.
class PasswordCommand
{
public:
    static constexpr qsizetype MaxOutput = 4096;

    // The password into secret; false with error in words when the command
    // cannot start, fails, gives none, says more than MaxOutput bytes, or
    // has not ended after timeoutMs or once aborted() says so (it is
    // killed then).
    static bool run(const QStringList& command, int timeoutMs, const std::function<bool()>& aborted,
                    QByteArray& secret, QString& error);
};
