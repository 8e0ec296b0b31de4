#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <array>
#include <functional>

// The serial connection to the module: the port behind COM1..COM6, the one
// output buffer LcdOut, sends, the detection answer and short waits.
// Everything runs on the main thread's event loop; nothing here blocks.
class LcdLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int PortCount = 6;
    // Length of one wait tick. The detection waits 10 ticks for the module's
    // answer, which must be at least ~0.1 s.
    static constexpr int TickMs = 15;
    // The line settings and devices a fresh install starts with.
    static inline const QString DefaultSettings = QStringLiteral("9600,n,8,1");
    static QString defaultPortPath(int portNumber);

    explicit LcdLink(QObject* parent = nullptr);
    ~LcdLink() override;

    // Set by the receive handler when an arrival begins with 0x65; a
    // detection clears it before it asks.
    bool lcdFound() const { return m_lcdFound; }
    void clearFound() { m_lcdFound = false; }

    // Device path behind each COM number (index 0 = COM1).
    void setPortPaths(const std::array<QString, PortCount>& paths) { m_paths = paths; }
    QString portPath(int portNumber) const;
    void setSettings(const QString& settings) { m_settings = settings; }
    QString settings() const { return m_settings; }
    void setPortNumber(int portNumber) { m_portNumber = portNumber; }
    int portNumber() const { return m_portNumber; }

    // Opens the configured port; false (and the port stays closed) when the
    // settings string is invalid or the device cannot be opened. The reason
    // goes to *why when given, else to the log.
    bool openPort(QString* why = nullptr);
    void closePort();
    bool isOpen() const { return m_port.isOpen(); }

    // Puts bytes (a sequence from modLcdFunc, or text) in the output buffer
    // and writes it as one write when the port is open; drops it otherwise.
    void SendLcd(const QByteArray& bytes);
    // What the last SendLcd put in the output buffer.
    const QByteArray& lcdOut() const { return m_lcdOut; }
    // Writes bytes straight to the port (detection query, glyph upload).
    // False when the port is closed or the write failed.
    bool writeRaw(const QByteArray& bytes);

    // Calls done after count ticks while the event loop keeps running. Each
    // wait has its own timer, so two waits never disturb each other; a wait
    // ends with the link.
    void WaitTicks(int count, std::function<void()> done);

    // Why a port went away, in a user's words.
    static QString lossReason(QSerialPort::SerialPortError error, bool deviceStillThere);

Q_SIGNALS:
    // The module answered the detection query (lcdFound() is now true).
    void answered();
    // Every write that reached the port, one signal per write.
    void sent(const QByteArray& bytes);
    // Everything given to SendLcd or writeRaw, whether or not the port is
    // open: what the other outputs (LCDd) follow the module's screen from.
    void requested(const QByteArray& bytes);
    // The device went away or a write failed: the port has been closed.
    void portLost(int portNumber);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    bool write(const QByteArray& bytes);

    QSerialPort m_port;
    std::array<QString, PortCount> m_paths;
    QString m_settings = DefaultSettings;
    int m_portNumber = 1;
    QByteArray m_lcdOut;
    bool m_lcdFound = false;
};
