#include "lcd/LcddOutput.h"

#include "lcd/DisplayModel.h"
#include "lcd/OutputSettings.h"

#include <QTimer>

LcddOutput::LcddOutput(const DisplayModel& model, const ModuleCodec& codec,
                       LcddConnectionFactory makeConnection, QObject* parent)
    : DisplayOutput(parent), m_model(model), m_codec(codec),
      m_makeConnection(std::move(makeConnection))
{
    const OutputSettings defaults;
    m_host = defaults.host;
    m_port = defaults.port;
}

LcddOutput::~LcddOutput() = default;

void LcddOutput::configure(const OutputSettings& settings)
{
    m_host = settings.host;
    m_port = settings.port;
    m_charset = settings.lcddCharset;
    if (m_connection)
        m_connection->setServer(m_host, m_port);
}

void LcddOutput::start()
{
    if (!m_connection && m_makeConnection) {
        m_connection = m_makeConnection();
        m_connection->setServer(m_host, m_port);
        connect(m_connection.get(), &LcddConnection::statusTextChanged, this,
                &DisplayOutput::statusTextChanged);
        // A new session may have a new size: its screen is made for it.
        connect(m_connection.get(), &LcddConnection::sessionStarted, this, &LcddOutput::flush);
    }
    if (m_connection)
        m_connection->start();
}

void LcddOutput::stop()
{
    if (m_connection)
        m_connection->stop();
}

void LcddOutput::modelChanged()
{
    // The model is followed all along, so LCDd chosen later starts from the
    // screen shown; only a started session is sent to.
    if (active())
        scheduleFlush();
}

QString LcddOutput::statusText() const
{
    return m_connection ? m_connection->statusText() : QString();
}

int LcddOutput::width() const
{
    return m_connection ? m_connection->width() : DisplayModel::Columns;
}

int LcddOutput::height() const
{
    return m_connection ? m_connection->height() : DisplayModel::Rows;
}

LcddScreen LcddOutput::screen() const
{
    return LcddScreen::from(m_model, m_codec, m_charset, width(), height());
}

void LcddOutput::scheduleFlush()
{
    // One screen a turn of the event loop, however many sends it held.
    if (std::exchange(m_flushPending, true))
        return;
    QTimer::singleShot(0, this, &LcddOutput::flush);
}

void LcddOutput::flush()
{
    m_flushPending = false;
    const LcddScreen want = screen();
    if (m_shown != want) {
        m_shown = want;
        Q_EMIT screenChanged();
    }
    if (active())
        m_connection->show(want);
}
