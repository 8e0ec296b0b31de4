#include "screens/player/WinAmpSettings.h"

#include "platform/SettingsReader.h"

#include <QRegularExpression>

bool WinAmpSettings::isPlayerName(const QString& suffix)
{
    const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)*$"));
    return pattern.match(suffix).hasMatch();
}

WinAmpSettings WinAmpSettings::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    WinAmpSettings s;
    QString player = r.raw(PlayerKey);
    // The whole bus name works too.
    const QString prefix = QStringLiteral("org.mpris.MediaPlayer2.");
    if (player.startsWith(prefix))
        player = player.mid(prefix.size());
    if (!player.isEmpty() && !isPlayerName(player)) {
        r.reject(QLatin1String(PlayerKey), player, QStringLiteral("is not a bus name"),
                 QStringLiteral("(the playing player)"));
        player.clear();
    }
    s.player = player;
    s.command = r.raw(CommandKey);
    return s;
}
