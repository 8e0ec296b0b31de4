#include "screens/system/NetworkInfoScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/InternetState.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CIpHelper.h"

#include <QLocale>

QString NetworkInfoScreen::displayableDecimalPoint(const QLocale& locale, const ModuleCodec& codec)
{
    // Arabic's "٫" has no module code and would come out as "?", which
    // reads as a broken number.
    const QString point = locale.decimalPoint();
    const QByteArray codes = codec.fromUnicode(point);
    if (codes.size() != 1 || codes == "?")
        return QStringLiteral(".");
    return point;
}

namespace {
QByteArray rateLine(const char* caption, qint64 octets, const ModuleCodec& codec)
{
    const QString point = NetworkInfoScreen::displayableDecimalPoint(QLocale(), codec);
    return QByteArray(caption) + codec.fromUnicode(NetworkInfoScreen::rateText(octets, point)) +
           QByteArray(" kbps");
}
} // namespace

NetworkInfoScreen::NetworkInfoScreen(ScreenLines& lines, MessageSink& messages,
                                     InternetState& internet, CIpHelper& ipHelper,
                                     std::shared_ptr<const HostLookup> host, IPMod::Runner runner)
    : m_lines(lines), m_internet(internet), m_ipHelper(ipHelper),
      m_ipMod(messages, std::move(host), IPMod::DefaultResolveMaxAgeMs, std::move(runner))
{
}

NetworkInfoScreen::~NetworkInfoScreen() = default;

// +--------------------+
// |myhost              |
// |6 192.168.1.10      |  6 connected, 7 not connected (custom characters)
// |In :12.345 kbps     |  thousands of octets since the last connected refresh
// |Out:0.4 kbps        |
// +--------------------+
void NetworkInfoScreen::ShowNetworkInfo()
{
    const bool connected = m_internet.isConnected();
    const ModuleCodec& codec = m_lines.codec();
    m_lines.setLine(0, codec.fromUnicode(m_ipMod.GetHostName()));
    const char glyph = connected ? ConnectedGlyph : NotConnectedGlyph;
    m_lines.setLine(1, QByteArray(1, glyph) + ' ' + codec.fromUnicode(m_ipMod.GetIPAddress()));
    // Offline: lines 3 and 4 keep the last rates, the totals are not read.
    if (!connected)
        return;

    qint64 inRate = 0;
    qint64 outRate = 0;
    // No table, or no rows: nothing moved that we can see. The previous
    // totals stay, so the next good read covers the whole gap.
    if (m_ipHelper.readTotals() > 0) {
        const qint64 received = m_ipHelper.BytesReceived();
        const qint64 sent = m_ipHelper.BytesSent();
        inRate = received - m_prevBytesReceived;
        outRate = sent - m_prevBytesSent;
        m_prevBytesReceived = received;
        m_prevBytesSent = sent;
    }
    m_lines.setLine(2, rateLine("In :", inRate, codec));
    m_lines.setLine(3, rateLine("Out:", outRate, codec));
}

QString NetworkInfoScreen::rateText(qint64 octets, const QString& decimalPoint)
{
    // Integer arithmetic: exact, and no overflow for the most negative value.
    const bool negative = octets < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(octets) : quint64(octets);
    QString text = QString::number(magnitude / 1000);
    const quint64 fraction = magnitude % 1000;
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += decimalPoint + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}
