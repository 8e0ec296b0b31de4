#include "screens/own/CommandValue.h"

#include "codec/TextDecoding.h"
#include "platform/Logging.h"
#include "screens/mail/MailSettings.h"

#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace {

QString firstLine(const QByteArray& output)
{
    QByteArray line = output.left(output.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    return TextDecoding::utf8OrWindows1252(line);
}

} // namespace

CommandValue::CommandValue(QString command, QString screen, std::function<void()> changed)
    : m_command(std::move(command)), m_screen(std::move(screen)), m_changed(std::move(changed))
{
    if (!MailSettings::splitCommand(m_command, m_words))
        m_words.clear();
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::PreciseTimer); // a coarse one may end a run at 4.75 s
    m_timeout.setInterval(TimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        killGroup();
    });
}

CommandValue::~CommandValue()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    killGroup();
    // Killed, it ends at once; QProcess would warn about a running one.
    m_process->waitForFinished(1000);
    delete m_process;
}

void CommandValue::run()
{
    if (m_process)
        return; // the last run is still under way
    if (m_words.isEmpty()) {
        failed(QStringLiteral("is empty or has an unclosed quote"));
        return;
    }
    m_output.clear();
    m_lineIn = false;
    m_timedOut = false;
    m_process = new QProcess(this);
    m_process->setProgram(m_words.first());
    m_process->setArguments(m_words.mid(1));
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    // Its own group, so a timeout also ends what it started (sh -c "...").
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(m_process, &QProcess::readyReadStandardOutput, this, &CommandValue::readOutput);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        ended(code, status == QProcess::CrashExit);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // the others come with finished
        const QString why = m_process->errorString();
        finish();
        failed(QStringLiteral("cannot be started: ") + why);
    });
    m_process->start();
    if (m_process) // else it could not start
        m_timeout.start();
}

void CommandValue::readOutput()
{
    if (m_lineIn)
        return;
    m_output += m_process->read(MaxBytes - m_output.size());
    if (!m_output.contains('\n') && m_output.size() < MaxBytes)
        return;
    // Enough: shown at once; the rest is dropped as it comes, until the
    // command ends or its time is up.
    m_lineIn = true;
    m_process->closeReadChannel(QProcess::StandardOutput);
    take(firstLine(m_output));
}

void CommandValue::take(const QString& text)
{
    m_failure.succeeded();
    if (m_text == text)
        return;
    m_text = text;
    m_changed();
}

void CommandValue::ended(int exitCode, bool crashed)
{
    const bool timedOut = m_timedOut;
    const bool lineIn = m_lineIn;
    if (!lineIn)
        m_output += m_process->read(MaxBytes - m_output.size());
    finish();
    if (!lineIn && (timedOut || crashed || exitCode != 0)) {
        failed(timedOut  ? QStringLiteral("did not end within %1 s; killed").arg(TimeoutMs / 1000)
               : crashed ? QStringLiteral("crashed")
                         : QStringLiteral("failed (exit code %1)").arg(exitCode));
        return;
    }
    if (!lineIn)
        take(firstLine(m_output));
}

void CommandValue::failed(const QString& why)
{
    if (m_failure.failed())
        qCWarning(lcScreens).noquote()
            << QStringLiteral("Screen %1: the command %2 %3").arg(m_screen, m_command, why);
}

void CommandValue::finish()
{
    m_timeout.stop();
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
}

void CommandValue::killGroup()
{
    if (!m_process)
        return;
    if (const qint64 pid = m_process->processId(); pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    m_process->kill();
}
