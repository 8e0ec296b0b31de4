#include "lcd/SerialLineSettings.h"

#include <QStringList>

std::optional<SerialLineSettings> SerialLineSettings::parse(const QString& text, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<SerialLineSettings> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return fail(QStringLiteral("expected baud,parity,data,stop"));

    SerialLineSettings s;
    bool ok = false;
    const QString baud = parts[0].trimmed();
    const qint64 rate = baud.toLongLong(&ok);
    if (!ok || rate < 50 || rate > 4000000 || baud.startsWith(QLatin1Char('+')))
        return fail(QStringLiteral("bad baud rate \"%1\"").arg(baud));
    s.baudRate = qint32(rate);

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return fail(QStringLiteral("bad parity \"%1\"").arg(parts[1].trimmed()));

    const QString data = parts[2].trimmed();
    if (data == QLatin1String("5"))
        s.dataBits = QSerialPort::Data5;
    else if (data == QLatin1String("6"))
        s.dataBits = QSerialPort::Data6;
    else if (data == QLatin1String("7"))
        s.dataBits = QSerialPort::Data7;
    else if (data == QLatin1String("8"))
        s.dataBits = QSerialPort::Data8;
    else
        return fail(QStringLiteral("bad data bits \"%1\"").arg(data));

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return fail(QStringLiteral("bad stop bits \"%1\"").arg(stop));
    return s;
}
