#include "sim/TerminalView.h"

#include "sim/LcdModule.h"

#include <QTextStream>

#include <unistd.h>

TerminalView::TerminalView(const LcdModule& module, QTextStream& out, Mode mode, QObject* parent)
    : QObject(parent), m_module(module), m_out(out), m_mode(mode)
{
    m_pending.setSingleShot(true);
    connect(&m_pending, &QTimer::timeout, this, &TerminalView::redraw);
}

TerminalView::Mode TerminalView::modeFor(FILE* stream)
{
    return stream && isatty(fileno(stream)) ? Mode::Ansi : Mode::Plain;
}

void TerminalView::scheduleRedraw()
{
    if (m_pending.isActive())
        return;
    const qint64 since = m_sinceDraw.isValid() ? m_sinceDraw.elapsed() : m_interval;
    if (since >= m_interval)
        redraw();
    else
        m_pending.start(int(m_interval - since));
}

void TerminalView::finishPending()
{
    if (m_pending.isActive())
        redraw();
}

void TerminalView::redraw()
{
    m_pending.stop();
    m_sinceDraw.start();
    ++m_redraws;

    const QStringList lines = m_module.textLines();
    const QString state =
        QStringLiteral("backlight %1, brightness %2")
            .arg(m_module.backlight() ? QLatin1String("on") : QLatin1String("off"))
            .arg(m_module.brightness());

    if (m_mode == Mode::Plain) {
        for (const QString& l : lines)
            m_out << l << '\n';
        m_out << "-- " << state << '\n';
        m_out.flush();
        return;
    }

    // Back to the top of the previous drawing, then overwrite line by line;
    // ESC[K clears whatever a longer earlier line left behind.
    if (m_linesDrawn > 0)
        m_out << "\x1b[" << m_linesDrawn << "A\r";
    const QString bar = QString(LcdModule::Columns, QChar(0x2500));
    QStringList box;
    box << QChar(0x250C) + bar + QChar(0x2510);
    for (const QString& l : lines)
        box << QChar(0x2502) + l + QChar(0x2502);
    box << QChar(0x2514) + bar + QChar(0x2518);
    box << QLatin1Char(' ') + state;
    for (const QString& l : box)
        m_out << l << "\x1b[K\n";
    m_linesDrawn = int(box.size());
    m_out.flush();
}
