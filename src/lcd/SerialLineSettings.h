#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

// The module's line settings as kept in the settings file: "9600,n,8,1" is
// baud rate, parity letter (n, e, o, m, s), data bits (5 to 8) and stop bits
// (1, 1.5 or 2), separated by commas.
struct SerialLineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // Empty result and a reason in *error when the text is not a valid setting.
    static std::optional<SerialLineSettings> parse(const QString& text, QString* error = nullptr);
    bool operator==(const SerialLineSettings&) const = default;
};
