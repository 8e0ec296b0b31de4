#pragma once

#include "platform/UserMessage.h"

#include <QObject>

// Where every message to the user goes. The window shows each in a message
// box, brellixd writes it to standard error with its level, tests record it.
// A fatal end is passed on to the lifecycle.
//
// A message with the text of the last one shown is said once per run: it is
// not shown again until another message, or a refresh that passed without
// one (refreshPassed), came between. A weather refresh failing every minute
// says " City Not Found " once.
class Messages : public QObject, public MessageSink
{
    Q_OBJECT
public:
    using QObject::QObject;

    void showMessage(const UserMessage& message) override;
    void requestFatalEnd() override { Q_EMIT fatalEndRequested(); }
    // A screen's lines were refreshed: the next message is shown even when
    // it repeats the last.
    void refreshPassed() { m_last.clear(); }

Q_SIGNALS:
    void shown(const UserMessage& message);
    void fatalEndRequested();

private:
    QString m_last; // the text of the last message shown; empty: none since
};
