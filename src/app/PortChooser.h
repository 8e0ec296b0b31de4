#pragma once

#include <QList>
#include <QString>

class LinkController;
class modINI;

// The "Ports..." dialog's logic: the serial devices there are, and giving
// one of them a COM number with its line settings. The settings file stays
// the one place where the mapping lives.
class PortChooser
{
public:
    struct Device
    {
        QString path; // /dev/ttyUSB0
        QString byId; // /dev/serial/by-id/usb-FTDI_..., or empty
        QString description, manufacturer, serialNumber;
        // The name to keep: the by-id one survives replugging and reordering.
        QString stablePath() const { return byId.isEmpty() ? path : byId; }
    };

    PortChooser(modINI& ini, LinkController& link) : m_ini(ini), m_link(link) {}

    // The serial devices of the machine, with their by-id names from byIdDir.
    static QList<Device>
    systemDevices(const QString& byIdDir = QStringLiteral("/dev/serial/by-id"));
    // Devices with a by-id name first (USB adapters, what users plug in),
    // then the rest, each group by path.
    static QList<Device> ordered(QList<Device> devices);
    // A line for the list: "usb-FTDI_... - FT232R USB UART (FTDI, A900XYZ)".
    static QString label(const Device& device);

    // COMn's device and the line settings: written to [Ports] and [Settings]
    // in one save, then COMn is chosen as from the COM menu. False, with
    // the reason, when the COM number or the settings string is not valid.
    bool apply(int comNumber, const QString& devicePath, const QString& settings, QString* error);

private:
    modINI& m_ini;
    LinkController& m_link;
};
