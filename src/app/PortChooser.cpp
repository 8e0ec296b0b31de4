#include "app/PortChooser.h"

#include "app/AppSettings.h"

#include "lcd/LinkController.h"
#include "lcd/SerialLineSettings.h"
#include "platform/PathCheck.h"
#include "platform/modINI.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

QList<PortChooser::Device> PortChooser::systemDevices(const QString& byIdDir)
{
    // by-id links point at the kernel's names: /dev/serial/by-id/x -> ../../ttyUSB0.
    QHash<QString, QString> byTarget;
    const QDir dir(byIdDir);
    for (const QFileInfo& link : dir.entryInfoList(QDir::Files | QDir::System)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !byTarget.contains(target))
            byTarget.insert(target, link.absoluteFilePath());
    }
    QList<Device> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        Device d;
        d.path = info.systemLocation();
        d.byId = byTarget.value(QFileInfo(d.path).canonicalFilePath());
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        devices.append(d);
    }
    return ordered(devices);
}

QList<PortChooser::Device> PortChooser::ordered(QList<Device> devices)
{
    std::stable_sort(devices.begin(), devices.end(), [](const Device& a, const Device& b) {
        if (a.byId.isEmpty() != b.byId.isEmpty())
            return !a.byId.isEmpty();
        return a.stablePath() < b.stablePath();
    });
    return devices;
}

QString PortChooser::label(const Device& device)
{
    QString text = device.stablePath();
    if (!device.description.isEmpty())
        text += QStringLiteral(" - ") + device.description;
    QStringList more;
    for (const QString& part : {device.manufacturer, device.serialNumber}) {
        if (!part.isEmpty())
            more << part;
    }
    if (!more.isEmpty())
        text += QStringLiteral(" (") + more.join(QStringLiteral(", ")) + u')';
    return text;
}

bool PortChooser::apply(int comNumber, const QString& devicePath, const QString& settings,
                        QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (comNumber < 1 || comNumber > LcdLink::PortCount)
        return fail(QStringLiteral("Choose COM1 to COM%1.").arg(LcdLink::PortCount));
    if (devicePath.trimmed().isEmpty() || hasControlCharacters(devicePath))
        return fail(QStringLiteral("Choose a device."));
    QString why;
    if (!SerialLineSettings::parse(settings, &why))
        return fail(QStringLiteral("The line settings \"%1\" are not valid: %2. "
                                   "Write them as speed, parity, data bits, stop bits, "
                                   "e.g. 9600,n,8,1.")
                        .arg(settings, why));
    if (!AppSettings::savePort(m_ini, comNumber, devicePath.trimmed(), settings))
        return fail(QStringLiteral("The settings file %1 cannot be written.").arg(m_ini.path()));
    m_link.setPortPath(comNumber, devicePath.trimmed());
    m_link.link().setSettings(settings);
    m_link.comMenuClicked(comNumber);
    return true;
}
