#include "platform/PasswordCommand.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>

bool PasswordCommand::run(const QStringList& command, int timeoutMs,
                          const std::function<bool()>& aborted, QByteArray& secret, QString& error)
{
    const QString program = command.value(0);
    QProcess process;
    process.setProgram(program);
    process.setArguments(command.mid(1));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(5000)) {
        error = QStringLiteral("the PasswordCommand %1 cannot be started: %2")
                    .arg(program, process.errorString());
        return false;
    }
    // A password is a line; a command that says more is read no further.
    QByteArray out;
    const auto wipe = qScopeGuard([&out] { out.fill('\0'); });
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // A pipe's worth at a time, so a runaway command costs no memory.
        const bool finished = process.state() == QProcess::NotRunning;
        if (!finished)
            process.waitForReadyRead(200);
        out += process.read(MaxOutput + 1 - out.size());
        if (out.size() > MaxOutput || (!finished && (aborted() || deadline.hasExpired()))) {
            process.kill();
            process.waitForFinished(1000);
            error = out.size() > MaxOutput
                        ? QStringLiteral("the PasswordCommand %1 said more than %2 bytes")
                              .arg(program)
                              .arg(MaxOutput)
                        : QStringLiteral("the PasswordCommand %1 did not end").arg(program);
            return false;
        }
        if (finished)
            break;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QStringLiteral("the PasswordCommand %1 failed (exit code %2)")
                    .arg(program)
                    .arg(process.exitCode());
        return false;
    }
    qsizetype end = out.indexOf('\n');
    secret = out.left(end < 0 ? out.size() : end);
    if (secret.endsWith('\r'))
        secret.chop(1);
    if (secret.isEmpty()) {
        error = QStringLiteral("the PasswordCommand %1 gave no password").arg(program);
        return false;
    }
    return true;
}
