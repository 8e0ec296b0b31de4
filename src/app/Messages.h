#pragma once

#include "platform/UserMessage.h"

#include <QObject>

// Where every message to the user goes. The window shows each in a message
// box, brellixd writes it to standard error with its level, tests record it.
// A fatal end is passed on to the lifecycle.
class Messages : public QObject, public MessageSink
{
    Q_OBJECT
public:
    using QObject::QObject;

    void showMessage(const UserMessage& message) override;
    void requestFatalEnd() override { Q_EMIT fatalEndRequested(); }

Q_SIGNALS:
    void shown(const UserMessage& message);
    void fatalEndRequested();
};
