#pragma once

#include "sim/LcdModule.h"

#include <QList>
#include <QObject>

class QSocketNotifier;

// The simulated module behind a pseudo-terminal: Brellix opens slavePath() as
// its serial port, this side reads the master, feeds LcdModule and writes the
// module's answers back.
class PtyLcdModule : public QObject
{
    Q_OBJECT
public:
    explicit PtyLcdModule(QObject* parent = nullptr);
    ~PtyLcdModule() override;

    // Creates the pty. The slave stays open here for the object's lifetime, so
    // the line never hangs up while the program closes and reopens the port.
    bool open(QString* error = nullptr);
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    LcdModule& module() { return m_module; }
    const LcdModule& module() const { return m_module; }

    // Every byte received, in order, and the reads as they came.
    QByteArray received() const { return m_received; }
    QList<QByteArray> chunks() const { return m_chunks; }
    void clearRecord();

    // What FE 10 gets: "\x65" by default, empty for silence, anything else
    // for a module that answers wrongly.
    void setDetectionReply(const QByteArray& reply);

    // Runs the event loop until at least count bytes have been received in
    // all, or timeoutMs passes; true when they have.
    bool waitForBytes(int count, int timeoutMs);

Q_SIGNALS:
    void screenChanged();
    void bytesReceived(const QByteArray& chunk);

private:
    void readAvailable();
    void writeReply(const QByteArray& reply);
    void close();

    LcdModule m_module;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    QList<QByteArray> m_chunks;
};
