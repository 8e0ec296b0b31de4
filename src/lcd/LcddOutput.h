#pragma once

#include "lcd/DisplayOutput.h"
#include "lcd/LcddConnection.h"

#include <optional>

class DisplayModel;
class ModuleCodec;

// LCDd as an output: after each turn of the event loop in which the model
// changed, the screen LCDd is to show (LcddScreen, in LCDd's size) goes to
// the connection, which sends what changed. The connection, the network
// part, is made by the factory when LCDd first starts.
class LcddOutput : public DisplayOutput
{
    Q_OBJECT
public:
    static constexpr const char* Key = "lcdd";

    LcddOutput(const DisplayModel& model, const ModuleCodec& codec,
               LcddConnectionFactory makeConnection, QObject* parent = nullptr);
    ~LcddOutput() override;

    void configure(const OutputSettings& settings) override;
    void start() override;
    void stop() override;
    void modelChanged() override;
    QString statusText() const override;

    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    LcddScreen::Charset charset() const { return m_charset; }
    bool active() const { return m_connection && m_connection->active(); }
    int width() const;
    int height() const;
    // What LCDd is asked to show now.
    LcddScreen screen() const;

Q_SIGNALS:
    // The screen asked of LCDd changed (the window's picture follows).
    void screenChanged();

private:
    void scheduleFlush();
    void flush();

    const DisplayModel& m_model;
    const ModuleCodec& m_codec;
    LcddConnectionFactory m_makeConnection;
    std::unique_ptr<LcddConnection> m_connection;
    QString m_host;
    quint16 m_port = 0;
    LcddScreen::Charset m_charset = LcddScreen::Charset::Ascii;
    bool m_flushPending = false;
    std::optional<LcddScreen> m_shown; // what screenChanged() last told
};
