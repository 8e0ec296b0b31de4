#include "screens/player/WinAmpScreen.h"

#include "codec/ModuleCodec.h"
#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Logging.h"
#include "platform/MediaPlayerLink.h"
#include "screens/base/ScreenLines.h"
#include "screens/player/WinAmpSettings.h"

#include <QProcess>

namespace {
constexpr int Width = 20;
} // namespace

WinAmpScreen::WinAmpScreen(ScreenLines& lines, LcdLink& link, LoadSettings loadSettings,
                           MediaPlayerLink& player, StartProgram start)
    : m_lines(lines), m_link(link), m_loadSettings(std::move(loadSettings)), m_player(player),
      m_start(std::move(start)), m_winAmp(player)
{
    if (!m_start) {
        m_start = [](const QString& program, const QStringList& arguments) {
            // The player's own chatter is not ours: it would run into
            // brellixd's log on the terminal.
            QProcess process;
            process.setProgram(program);
            process.setArguments(arguments);
            process.setStandardInputFile(QProcess::nullDevice());
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            return process.startDetached();
        };
    }
}

WinAmpScreen::~WinAmpScreen() = default;

void WinAmpScreen::enter()
{
    const WinAmpSettings settings = m_loadSettings();
    m_player.setPreferredPlayer(settings.player);
    m_playing = false;
    if (settings.command.trimmed().isEmpty()) {
        m_player.start({});
        return;
    }
    // Whether the player is there is known once the bus has been listed;
    // the switch goes on meanwhile, and the player is picked up whenever it
    // appears on the bus.
    const std::weak_ptr<int> visit = m_visit;
    m_player.start([this, visit, command = settings.command] {
        if (visit.expired() || m_player.hasPlayer())
            return;
        startPlayer(command);
    });
}

void WinAmpScreen::leave()
{
    m_visit = std::make_shared<int>(0);
    m_playing = false;
}

void WinAmpScreen::startPlayer(const QString& command)
{
    QStringList arguments = QProcess::splitCommand(command);
    if (arguments.isEmpty())
        return;
    const QString program = arguments.takeFirst();
    if (m_start(program, arguments))
        qCInfo(lcPlayer).noquote() << "Started the media player:" << command;
    else
        qCWarning(lcPlayer).noquote()
            << "Cannot start the media player ([WinAmp] Command):" << command;
}

// Playing:                Paused:                 Stopped:
// +--------------------+  +--------------------+  +--------------------+
// |Playing Now: 5      |  |                    |  |                    |
// |Song title, scrolled|  |   2 WINAMP PAUSED  |  |  1 WINAMP STOPPED  |
// |Artist              |  |                    |  |                    |
// |3:45 1:23 4 67%     |  |                    |  |                    |
// +--------------------+  +--------------------+  +--------------------+
// 1 stop, 2 pause, 3 volume at 0%, 4 volume, 5 play (custom characters).
void WinAmpScreen::ShowWinAmp()
{
    const QString state = m_winAmp.GetWinAmpState();
    m_playing = state == u"PLAYING";
    if (!m_playing) {
        const bool paused = state == u"PAUSED";
        m_lines.setLine(0, {});
        m_lines.setLine(1, paused ? QByteArray("   ") + PauseGlyph + " WINAMP PAUSED"
                                  : QByteArray("  ") + StopGlyph + " WINAMP STOPPED");
        m_lines.setLine(2, {});
        m_lines.setLine(3, {});
        return;
    }

    m_winAmp.ReadWinAmpTitle();
    // The song is everything after the artist; the caption's end goes.
    const QByteArray text = m_lines.codec().fromUnicode(m_winAmp.SongTitle());
    if (text != m_scrollText)
        m_window.clear();
    m_scrollText = text;

    m_lines.setLine(0, QByteArray("Playing Now: ") + PlayGlyph);
    // A scrolling title keeps the scroller's window, so the line does not
    // jump back to the title's start on every refresh.
    m_lines.setLine(1, m_window.isEmpty() ? m_scrollText : m_window);
    m_lines.setLine(2, m_lines.codec().fromUnicode(m_winAmp.GetWinAmpArtist()));

    const QByteArray length = timeText(m_winAmp.GetTrackLength());
    const QByteArray position = timeText(m_winAmp.GetTrackPosition());
    const qint64 percent = VolumePercent(m_winAmp.GetWinAmpVolume());
    const QByteArray volume = percent != 0
                                  ? QByteArray(1, VolumeGlyph) + ' ' + QByteArray::number(percent)
                                  : QByteArray(1, MuteGlyph) + " 0";
    m_lines.setLine(3, length + ' ' + position + ' ' + volume + '%');
}

void WinAmpScreen::ScrollTitle()
{
    const int count = int(m_scrollText.size());
    if (count <= Width)
        return;
    // Over the paused or stopped layout the old title would flicker in.
    if (!m_playing)
        return;
    // A new title shorter than where the last one had got to starts over.
    if (m_scrollPos < 0 || m_scrollPos >= count)
        m_scrollPos = 0;
    const QByteArray s = m_scrollText + '*';
    const int k = m_scrollPos;
    const QByteArray head = s.right(count - k);
    const QByteArray tail = s.left(k);
    m_scrollPos = k + 1;
    m_window = (head + tail).right(Width);
    m_link.SendLcd(modLcdFunc::LcdSelectLine(1));
    m_link.SendLcd(m_window);
    if (m_scrollPos == count)
        m_scrollPos = 0;
}

QByteArray WinAmpScreen::timeText(qint64 seconds)
{
    if (seconds < 0)
        return "0:00";
    if (seconds < 1000 * 60)
        return QByteArray::number(seconds / 60) + ':' +
               QByteArray::number(seconds % 60).rightJustified(2, '0');
    const qint64 minutes = seconds / 60;
    if (minutes < 1000 * 60)
        return QByteArray::number(minutes / 60) + 'h' +
               QByteArray::number(minutes % 60).rightJustified(2, '0');
    return ">999h";
}

qint64 WinAmpScreen::VolumePercent(qint64 volume)
{
    if (volume <= 0)
        return 0;
    const qint64 scaled = volume * 100;
    qint64 percent = scaled / 255;
    const qint64 rest = scaled % 255; // 255 is odd: never an exact half
    if (2 * rest > 255)
        ++percent;
    return percent;
}
