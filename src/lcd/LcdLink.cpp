#include "lcd/LcdLink.h"

#include "lcd/SerialLineSettings.h"
#include "platform/Logging.h"

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

bool LcdLink::openPort()
{
    closePort();
    QString why;
    const auto line = SerialLineSettings::parse(m_settings, &why);
    if (!line) {
        qCWarning(lcLink).noquote()
            << "Invalid serial settings" << m_settings << "-" << why << "- the port stays closed";
        return false;
    }
    const QString path = portPath(m_portNumber);
    if (path.isEmpty()) {
        qCWarning(lcLink) << "No device for COM" << m_portNumber << "- the port stays closed";
        return false;
    }
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        qCWarning(lcLink).noquote() << "Cannot open COM" + QString::number(m_portNumber) << path
                                    << "-" << m_port.errorString();
        return false;
    }
    const bool ok = m_port.setBaudRate(line->baudRate) && m_port.setParity(line->parity) &&
                    m_port.setDataBits(line->dataBits) && m_port.setStopBits(line->stopBits) &&
                    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        qCWarning(lcLink).noquote()
            << "Cannot apply" << m_settings << "to" << path << "-" << m_port.errorString();
        m_port.close();
        return false;
    }
    qCInfo(lcLink).noquote() << "Opened COM" + QString::number(m_portNumber) << path << m_settings;
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
    write(m_lcdOut);
}

bool LcdLink::writeRaw(const QByteArray& bytes)
{
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
    if (static_cast<unsigned char>(data.at(0)) == 0x65)
        m_lcdFound = true;
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
                                << "lost:" << m_port.errorString();
    // Closing from inside the port's own signal is safe for QSerialPort, but
    // defer the notification so listeners never run inside a write.
    m_port.clearError();
    m_port.close();
    const int number = m_portNumber;
    QTimer::singleShot(0, this, [this, number] { Q_EMIT portLost(number); });
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
