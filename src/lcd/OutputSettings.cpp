#include "lcd/OutputSettings.h"

#include "lcd/DisplayOutputs.h"
#include "platform/PathCheck.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <QStringList>

OutputSettings OutputSettings::load(const modINI& ini)
{
    OutputSettings s;
    const SettingsReader display(ini, Section);
    const QString output = display.raw(OutputKey);
    if (const auto outputs = parseOutputs(output)) {
        s.outputs = *outputs;
    } else if (!output.trimmed().isEmpty()) {
        QStringList names;
        for (const DisplayOutputs::Kind& kind : DisplayOutputs::kinds())
            names << QLatin1String(kind.key);
        display.reject(QLatin1String(OutputKey), output,
                       QStringLiteral("is not one of %1 or a list of them").arg(names.join(u", ")),
                       s.outputText());
    }
    const QString characters = display.raw(CharactersKey);
    if (const auto known = CharacterSets::parse(characters))
        s.characters = *known;
    else if (!characters.trimmed().isEmpty())
        display.reject(QLatin1String(CharactersKey), characters,
                       QStringLiteral("is not one of %1").arg(CharacterSets::names()),
                       CharacterSets::name(s.characters));
    const SettingsReader lcdd(ini, LcddSection);
    const QString charset = lcdd.raw(CharactersKey);
    if (const auto known = LcddScreen::parseCharset(charset))
        s.lcddCharset = *known;
    else if (!charset.trimmed().isEmpty())
        lcdd.reject(QLatin1String(CharactersKey), charset, QStringLiteral("is not ascii or latin1"),
                    LcddScreen::charsetName(s.lcddCharset));
    const QString host = lcdd.text(HostKey, s.host).trimmed();
    if (host.contains(QLatin1Char(' ')) || hasControlCharacters(host))
        lcdd.reject(QLatin1String(HostKey), host, QStringLiteral("is not a host name"), s.host);
    else if (!host.isEmpty())
        s.host = host;
    s.port = quint16(lcdd.number(PortKey, s.port, 1, 65535));
    return s;
}

std::optional<QStringList> OutputSettings::parseOutputs(const QString& text)
{
    std::vector<bool> named(DisplayOutputs::kinds().size());
    for (const QString& name :
         text.trimmed().toLower().remove(QLatin1Char(' ')).split(QLatin1Char(','))) {
        const int i = DisplayOutputs::indexOf(name);
        if (i < 0 || named[std::size_t(i)])
            return std::nullopt;
        named[std::size_t(i)] = true;
    }
    QStringList outputs;
    for (std::size_t i = 0; i < named.size(); ++i)
        if (named[i])
            outputs << QLatin1String(DisplayOutputs::kinds()[i].key);
    return outputs;
}

bool OutputSettings::saveOutput(modINI& ini) const
{
    return ini.WriteIni(QLatin1String(Section), QLatin1String(OutputKey), outputText());
}

bool OutputSettings::saveCharacters(modINI& ini) const
{
    return ini.WriteIni(QLatin1String(Section), QLatin1String(CharactersKey),
                        CharacterSets::name(characters));
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
