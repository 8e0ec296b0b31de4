#include "platform/Bulletin.h"

QString Bulletin::setOption(const QString& name, const QVariant& value)
{
    const bool boolean = value.typeId() == QMetaType::Bool;
    const bool text = value.typeId() == QMetaType::QString;
    bool fits = true;
    if (name == u"flash" || name == u"center") {
        fits = boolean;
        (name == u"flash" ? flash : center) = boolean && value.toBool();
    } else if (name == u"priority") {
        fits = text && (value.toString() == u"info" || value.toString() == u"alert");
        alert = text && value.toString() == u"alert";
    }
    if (fits)
        return {};
    return QStringLiteral("option %1: flash and center take a boolean, priority \"info\" or "
                          "\"alert\"")
        .arg(name.left(40));
}
