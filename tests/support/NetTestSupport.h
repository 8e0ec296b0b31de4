#pragma once

#include "platform/UserMessage.h"
#include "platform/web/modWebservices.h"
#include "platform/web/curl/CurlWebTransport.h"

#include <QStringList>
#include <QtTest>

class RecordedMessages : public MessageSink
{
public:
    void showMessage(const UserMessage& message) override { shown.append(message); }
    void requestFatalEnd() override {}
    QList<UserMessage> shown;
};

// A web client on a transport of its own, with a short time limit.
struct TestWebClient
{
    CurlWebTransport transport;
    modWebservices client{transport,
                          modWebservices::Limits{.timeoutMs = 2000, .maxBodyBytes = 1024 * 1024}};
};

// Runs one refresh as the scheduler does: fetch, then show once it is in.
template <typename Screen> bool refresh(Screen& screen)
{
    int calls = 0;
    bool ok = false;
    screen.fetch([&](bool result) {
        ++calls;
        ok = result;
    });
    if (!QTest::qWaitFor([&] { return calls > 0; }, 5000) || calls != 1)
        return false;
    if (ok)
        screen.show();
    return true;
}
