#include "codec/Characters.h"

#include <QStringList>

namespace CharacterSets {

QString name(Characters characters)
{
    switch (characters) {
    case Characters::A00:
        return QStringLiteral("a00");
    case Characters::A02:
        return QStringLiteral("a02");
    case Characters::Ascii:
        break;
    }
    return QStringLiteral("ascii");
}

std::optional<Characters> parse(const QString& text)
{
    const QString wanted = text.trimmed().toLower();
    for (const Characters c : All) {
        if (name(c) == wanted)
            return c;
    }
    return std::nullopt;
}

QString names()
{
    QStringList list;
    for (const Characters c : All)
        list << name(c);
    return list.join(QStringLiteral(", "));
}

} // namespace CharacterSets
