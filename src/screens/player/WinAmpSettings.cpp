#include "screens/player/WinAmpSettings.h"

#include "platform/Logging.h"
#include "platform/modINI.h"

#include <QRegularExpression>

bool WinAmpSettings::isPlayerName(const QString& suffix)
{
    const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)*$"));
    return pattern.match(suffix).hasMatch();
}

WinAmpSettings WinAmpSettings::load(const modINI& ini)
{
    const QString section = QStringLiteral("WinAmp");
    WinAmpSettings s;
    QString player = ini.ReadIni(section, QStringLiteral("Player"));
    // The whole bus name works too.
    const QString prefix = QStringLiteral("org.mpris.MediaPlayer2.");
    if (player.startsWith(prefix))
        player = player.mid(prefix.size());
    if (!player.isEmpty() && !isPlayerName(player)) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: [WinAmp] Player = \"%2\" is not a bus name; using the "
                              "default (the playing player)")
                   .arg(ini.path(), player);
        player.clear();
    }
    s.player = player;
    s.command = ini.ReadIni(section, QStringLiteral("Command"));
    return s;
}
