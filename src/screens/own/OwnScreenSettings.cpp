#include "screens/own/OwnScreenSettings.h"

#include "platform/Logging.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <QSet>

namespace {

const std::array<QString, 3> AlignTexts{QStringLiteral("left"), QStringLiteral("center"),
                                        QStringLiteral("right")};

QByteArray keyOf(const char* key, int line)
{
    return QByteArray(key) + QByteArray::number(line + 1);
}

OwnScreenSettings::Align readAlign(const SettingsReader& r, const char* key)
{
    const QString value = r.raw(key);
    for (std::size_t i = 0; i < AlignTexts.size(); ++i) {
        if (value.compare(AlignTexts[i], Qt::CaseInsensitive) == 0)
            return OwnScreenSettings::Align(i);
    }
    if (!value.isEmpty())
        r.reject(QLatin1String(key), value, QStringLiteral("is not left, center or right"),
                 AlignTexts[0]);
    return OwnScreenSettings::Align::Left;
}

QString folded(const QString& name)
{
    return name.toLower(); // names are ASCII
}

} // namespace

bool OwnScreenSettings::validName(const QString& name)
{
    if (name.isEmpty() || name.size() > MaxNameLength)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                        (u >= u'0' && u <= u'9') || u == u'-' || u == u'_';
        if (!ok)
            return false;
    }
    return true;
}

QString OwnScreenSettings::sectionOf(const QString& name)
{
    return QLatin1String(SectionPrefix) + name;
}

std::optional<QString> OwnScreenSettings::nameOfSection(const QString& section)
{
    const QLatin1String prefix(SectionPrefix);
    if (!section.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    return section.mid(prefix.size()).trimmed();
}

QString OwnScreenSettings::alignText(Align align)
{
    return AlignTexts[std::size_t(align)];
}

QList<OwnScreenSettings> OwnScreenSettings::loadAll(const modINI& ini)
{
    QList<OwnScreenSettings> screens;
    QSet<QString> seen;
    for (const QString& section : ini.sections()) {
        const std::optional<QString> name = nameOfSection(section);
        if (!name)
            continue;
        if (!validName(*name)) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [%2] is not used: a screen's name is 1 to %3 letters, "
                                  "digits, - and _")
                       .arg(ini.path(), section)
                       .arg(MaxNameLength);
            continue;
        }
        if (seen.contains(folded(*name))) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [%2] is not used: a screen of that name comes before it")
                       .arg(ini.path(), section);
            continue;
        }
        seen.insert(folded(*name));

        const SettingsReader r(ini, section);
        OwnScreenSettings s;
        s.name = *name;
        for (int i = 0; i < LineCount; ++i) {
            s.lines[i] = r.raw(keyOf(LineKey, i).constData());
            s.align[i] = readAlign(r, keyOf(AlignKey, i).constData());
            s.scroll[i] = r.flag(keyOf(ScrollKey, i).constData(), false);
        }
        s.updateSeconds = int(r.number(UpdateKey, MinUpdate, MinUpdate, MaxUpdate));
        screens.append(s);
    }
    return screens;
}

bool OwnScreenSettings::saveAll(modINI& ini, const QList<OwnScreenSettings>& screens)
{
    QList<modINI::Entry> entries;
    QStringList removed;
    return saveEntries(ini, screens, entries, removed) && ini.WriteIniKeys(entries, removed);
}

bool OwnScreenSettings::saveEntries(const modINI& ini, const QList<OwnScreenSettings>& screens,
                                    QList<modINI::Entry>& entries, QStringList& removedSections)
{
    QSet<QString> listed;
    for (const OwnScreenSettings& s : screens) {
        if (!validName(s.name) || listed.contains(folded(s.name))) {
            qCWarning(lcSettings).noquote() << "not saving the screens to" << ini.path()
                                            << "- unusable or repeated name" << s.name;
            return false;
        }
        listed.insert(folded(s.name));
    }

    // The screen sections in the file, in order, spelled as there.
    QStringList inFile;
    QStringList removed;
    for (const QString& section : ini.sections()) {
        if (const std::optional<QString> name = nameOfSection(section)) {
            if (listed.contains(folded(*name)))
                inFile.append(section);
            else
                removed.append(section);
        }
    }
    // The leading screens already in this order (and spelling) stay where
    // they are; from the first that is not, each is written anew after them.
    qsizetype inPlace = 0;
    while (inPlace < screens.size() && inPlace < inFile.size() &&
           inFile[inPlace] == sectionOf(screens[inPlace].name))
        ++inPlace;
    for (qsizetype i = inPlace; i < inFile.size(); ++i)
        removed.append(inFile[i]);

    for (const OwnScreenSettings& s : screens) {
        const QString section = sectionOf(s.name);
        for (int i = 0; i < LineCount; ++i) {
            entries.append({section, QString::fromLatin1(keyOf(LineKey, i)), s.lines[i]});
            entries.append(
                {section, QString::fromLatin1(keyOf(AlignKey, i)), alignText(s.align[i])});
            entries.append({section, QString::fromLatin1(keyOf(ScrollKey, i)),
                            s.scroll[i] ? QStringLiteral("1") : QStringLiteral("0")});
        }
        entries.append({section, QLatin1String(UpdateKey), QString::number(s.updateSeconds)});
    }
    removedSections += removed;
    return true;
}
