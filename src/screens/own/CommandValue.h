#pragma once

#include "platform/ReportOnce.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class QProcess;

// {exec:COMMAND}: the first line a command prints. The command is split into
// words as [Mail] PasswordCommand is and run without a shell, in the
// background, in a process group of its own; never twice at once. A run
// that has not ended after TimeoutMs is killed with its children, and the
// value keeps its last text. At most MaxBytes are kept: the first line (or
// that much) is the value at once, and the rest is dropped as it comes. A
// failure is logged once until a run works again.
class CommandValue : public QObject
{
    Q_OBJECT
public:
    static constexpr int TimeoutMs = 5000;
    static constexpr int MaxBytes = 4096;

    // changed: the text is new.
    CommandValue(QString command, QString screen, std::function<void()> changed);
    ~CommandValue() override;

    // Starts a run unless one is under way.
    void run();
    bool running() const { return m_process != nullptr; }
    // The last run's first line; nothing before a run has worked.
    const std::optional<QString>& text() const { return m_text; }

private:
    void readOutput();
    void ended(int exitCode, bool crashed);
    void take(const QString& text);
    void failed(const QString& why);
    void finish();
    void killGroup();

    QString m_command;
    QString m_screen;
    std::function<void()> m_changed;
    QStringList m_words;
    QProcess* m_process = nullptr; // the run under way
    QTimer m_timeout;
    QByteArray m_output;
    bool m_lineIn = false; // the first line is in: the rest is not read
    bool m_timedOut = false;
    std::optional<QString> m_text;
    ReportOnce m_failure;
};
