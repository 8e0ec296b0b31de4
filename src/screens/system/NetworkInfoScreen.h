#pragma once

#include "screens/base/ModeScreen.h"
#include "screens/system/IPMod.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <memory>

class CIpHelper;
class ModuleCodec;
class HostLookup;
class InternetState;
class MessageSink;
class ScreenLines;

// The "Network Info" mode: host name, connection symbol with the address,
// and the octets moved since the last connected refresh.
class NetworkInfoScreen : public ModeScreen
{
public:
    // Custom characters uploaded by the mode switch.
    static constexpr char ConnectedGlyph = 6;
    static constexpr char NotConnectedGlyph = 7;

    // host: the system calls behind the name and address, shared with the
    // lookup's worker thread. runner: where the address lookup runs; empty
    // for its own thread.
    NetworkInfoScreen(ScreenLines& lines, MessageSink& messages, InternetState& internet,
                      CIpHelper& ipHelper, std::shared_ptr<const HostLookup> host,
                      IPMod::Runner runner = {});
    ~NetworkInfoScreen() override;

    // Shown every tick without asking for the internet first: offline is
    // one of the things it shows. The switch uploads the two symbols once.
    Traits traits() const override
    {
        return {.cadence = Cadence::EveryTick,
                .writesLines = true,
                .needsInternet = false,
                .glyphUploads = 1,
                .timerMs = 0};
    }
    void ShowNetworkInfo();

    // Octets as thousands, written exactly: 12345 -> "12.345", 1000 -> "1",
    // -1500 -> "-1.5", 0 -> "0".
    static QString rateText(qint64 octets, const QString& decimalPoint);
    // The locale's decimal separator when the module can show it as one
    // character, else ".".
    static QString displayableDecimalPoint(const QLocale& locale, const ModuleCodec& codec);

private:
    ScreenLines& m_lines;
    InternetState& m_internet;
    CIpHelper& m_ipHelper;
    IPMod m_ipMod;
    qint64 m_prevBytesReceived = 0;
    qint64 m_prevBytesSent = 0;
};
