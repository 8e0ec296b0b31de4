#pragma once

#include "platform/UserMessage.h"

#include <QList>

class RecordedMessages : public MessageSink
{
public:
    void showMessage(const UserMessage& message) override { shown.append(message); }
    void requestFatalEnd() override {}
    QList<UserMessage> shown;
};
