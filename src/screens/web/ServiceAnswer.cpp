#include "screens/web/ServiceAnswer.h"

std::optional<QString> ServiceAnswer::CutValue(const QString& answer, const QString& name, int skip,
                                               int drop)
{
    const qsizetype at = answer.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const QString rest = answer.mid(at + skip);
    const qsizetype closing = rest.indexOf(u'/' + name);
    if (closing < 0 || closing - drop < 0)
        return std::nullopt;
    return rest.left(closing - drop);
}
