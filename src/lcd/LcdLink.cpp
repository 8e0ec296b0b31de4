#include "lcd/LcdLink.h"

#include "lcd/SerialLineSettings.h"
#include "platform/Logging.h"

#include <QFileInfo>
#include <QTimer>

LcdLink::LcdLink(QObject* parent) : QObject(parent)
{
    for (int i = 0; i < PortCount; ++i)
        m_paths[i] = defaultPortPath(i + 1);
    connect(&m_port, &QSerialPort::readyRead, this, &LcdLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &LcdLink::onError);
}

LcdLink::~LcdLink()
{
    closePort();
}

QString LcdLink::defaultPortPath(int portNumber)
{
    // COMn is the n-th serial port of the machine.
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QString LcdLink::portPath(int portNumber) const
{
    if (portNumber < 1 || portNumber > PortCount)
        return {};
    return m_paths[portNumber - 1];
}

bool LcdLink::openPort(QString* why)
{
    closePort();
    const auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        else
            qCWarning(lcLink).noquote() << reason;
        return false;
    };
    QString invalid;
    const auto line = SerialLineSettings::parse(m_settings, &invalid);
    if (!line)
        return fail(QStringLiteral("Invalid serial settings %1 - %2 - the port stays closed")
                        .arg(m_settings, invalid));
    const QString path = portPath(m_portNumber);
    const QString com = QStringLiteral("COM%1").arg(m_portNumber);
    if (path.isEmpty())
        return fail(QStringLiteral("No device for %1 - the port stays closed").arg(com));
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite))
        return fail(QStringLiteral("Cannot open %1 %2 - %3").arg(com, path, m_port.errorString()));
    const bool ok = m_port.setBaudRate(line->baudRate) && m_port.setParity(line->parity) &&
                    m_port.setDataBits(line->dataBits) && m_port.setStopBits(line->stopBits) &&
                    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        const QString reason = QStringLiteral("Cannot apply %1 to %2 - %3")
                                   .arg(m_settings, path, m_port.errorString());
        m_port.close();
        return fail(reason);
    }
    qCInfo(lcLink).noquote() << "Opened" << com << path << m_settings;
    return true;
}

void LcdLink::closePort()
{
    if (m_port.isOpen()) {
        m_port.close();
        qCDebug(lcLink) << "Closed COM" << m_portNumber;
    }
}

void LcdLink::SendLcd(const QByteArray& bytes)
{
    m_lcdOut = bytes;
    Q_EMIT requested(bytes);
    write(m_lcdOut);
}

bool LcdLink::writeRaw(const QByteArray& bytes)
{
    Q_EMIT requested(bytes);
    return write(bytes);
}

bool LcdLink::write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    const qint64 n = m_port.write(bytes);
    if (n != bytes.size()) {
        // onError normally gets here first; make sure the port is dropped.
        if (m_port.isOpen())
            onError(QSerialPort::WriteError);
        return false;
    }
    // Push it out now, so every send stays its own write on the wire.
    m_port.flush();
    if (!m_port.isOpen())
        return false;
    Q_EMIT sent(bytes);
    return true;
}

void LcdLink::onReadyRead()
{
    const QByteArray data = m_port.readAll();
    if (data.isEmpty())
        return; // a notification without bytes means nothing
    if (static_cast<unsigned char>(data.at(0)) == 0x65) {
        m_lcdFound = true;
        Q_EMIT answered();
    }
}

void LcdLink::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::OpenError: // reported by openPort's caller
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::UnsupportedOperationError: // a line setting the device refuses: openPort
                                                 // reports it
        return;
    default:
        break;
    }
    if (!m_port.isOpen())
        return;
    qCWarning(lcLink).noquote() << "COM" + QString::number(m_portNumber) << m_port.portName()
                                << "lost:" << lossReason(error, QFileInfo::exists(portPath(m_portNumber)));
    // Closing from inside the port's own signal is safe for QSerialPort, but
    // defer the notification so listeners never run inside a write.
    m_port.clearError();
    m_port.close();
    const int number = m_portNumber;
    QTimer::singleShot(0, this, [this, number] { Q_EMIT portLost(number); });
}

QString LcdLink::lossReason(QSerialPort::SerialPortError error, bool deviceStillThere)
{
    // The serial driver's own words ("Inappropriate ioctl for device",
    // "Unknown error") say nothing to a user whose adapter was pulled.
    if (!deviceStillThere)
        return QStringLiteral("device removed");
    switch (error) {
    case QSerialPort::ResourceError:
        return QStringLiteral("device no longer available (unplugged or powered off)");
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        return QStringLiteral("I/O error");
    default:
        return QStringLiteral("serial port error");
    }
}

void LcdLink::WaitTicks(int count, std::function<void()> done)
{
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [timer, done = std::move(done)] {
        timer->deleteLater();
        done();
    });
    timer->start(std::max(0, count) * TickMs);
}
