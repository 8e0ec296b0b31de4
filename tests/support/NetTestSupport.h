#pragma once

#include "platform/UserMessage.h"
#include "platform/web/curl/CurlWebTransport.h"
#include "platform/web/modWebservices.h"
#include "screens/web/StockScreen.h"
#include "screens/web/WeatherScreen.h"

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

// The routine the scheduler's table names for a web screen.
inline void showWebScreen(ModeScreen& screen)
{
    if (auto* weather = dynamic_cast<WeatherScreen*>(&screen))
        weather->ShowWeather();
    else if (auto* stock = dynamic_cast<StockScreen*>(&screen))
        stock->ShowStock();
}

// Runs one refresh as the scheduler does: fetch, then the screen's routine
// once it is in; false when the fetch does not call back exactly once.
inline bool refresh(ModeScreen& screen)
{
    int calls = 0;
    bool ok = false;
    screen.fetch([&](bool result) { ok = result, ++calls; });
    if (!QTest::qWaitFor([&] { return calls > 0; }, 5000) || calls != 1)
        return false;
    if (ok)
        showWebScreen(screen);
    return true;
}
