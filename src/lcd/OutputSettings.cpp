#include "lcd/OutputSettings.h"

#include "platform/PathCheck.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <QStringList>

OutputSettings OutputSettings::load(const modINI& ini)
{
    OutputSettings s;
    const SettingsReader display(ini, Section);
    const QString output = display.raw(OutputKey).trimmed().toLower().remove(QLatin1Char(' '));
    if (output == QLatin1String("lcdd")) {
        s.serial = false;
        s.lcdd = true;
    } else if (output == QLatin1String("serial,lcdd") || output == QLatin1String("lcdd,serial")) {
        s.lcdd = true;
    } else if (!output.isEmpty() && output != QLatin1String("serial")) {
        display.reject(QLatin1String(OutputKey), display.raw(OutputKey),
                       QStringLiteral("is not serial, lcdd or serial,lcdd"), s.outputText());
    }
    const SettingsReader lcdd(ini, LcddSection);
    const QString host = lcdd.text(HostKey, s.host).trimmed();
    if (host.contains(QLatin1Char(' ')) || hasControlCharacters(host))
        lcdd.reject(QLatin1String(HostKey), host, QStringLiteral("is not a host name"), s.host);
    else if (!host.isEmpty())
        s.host = host;
    s.port = quint16(lcdd.number(PortKey, s.port, 1, 65535));
    return s;
}

QString OutputSettings::outputText() const
{
    if (serial && lcdd)
        return QStringLiteral("serial,lcdd");
    return lcdd ? QStringLiteral("lcdd") : QStringLiteral("serial");
}

bool OutputSettings::saveOutput(modINI& ini) const
{
    return ini.WriteIni(QLatin1String(Section), QLatin1String(OutputKey), outputText());
}

bool OutputSettings::setServer(const QString& text)
{
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        const QString rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return false;
        port = rest.mid(1);
        host = host.mid(1, close - 1);
        if (rest.isEmpty())
            port.clear();
    } else if (host.count(QLatin1Char(':')) == 1) {
        port = host.section(QLatin1Char(':'), 1);
        host = host.section(QLatin1Char(':'), 0, 0);
    }
    if (host.contains(QLatin1Char(' ')) || hasControlCharacters(host))
        return false;
    bool ok = true;
    const int number = port.isEmpty() ? this->port : port.toInt(&ok);
    if (!ok || number < 1 || number > 65535 || port.startsWith(QLatin1Char('+')))
        return false;
    if (!host.isEmpty())
        this->host = host;
    this->port = quint16(number);
    return true;
}
