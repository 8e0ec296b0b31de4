#pragma once

#include "platform/InterfaceTable.h"

#include <QHash>
#include <QString>

// The interface table from /proc/net/dev (the counters) and the small files
// of /sys/class/net/IF/ (the attributes).
class LinuxInterfaceTable final : public InterfaceTable
{
public:
    // Paths are parameters so tests can use fixture trees.
    explicit LinuxInterfaceTable(QString procNetDev = QStringLiteral("/proc/net/dev"),
                                 QString sysClassNet = QStringLiteral("/sys/class/net"));

    std::optional<QList<InterfaceRow>> read(Detail detail, QString* error = nullptr) const override;

private:
    InterfaceAttributes attributes(const QString& name) const;

    QString m_procNetDev;
    QString m_sysClassNet;
    // Whether each interface seen is a loopback one, read once a name.
    mutable QHash<QString, bool> m_loopback;
};
