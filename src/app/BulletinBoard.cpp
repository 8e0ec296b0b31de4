#include "app/BulletinBoard.h"

#include "app/DisplayScheduler.h"
#include "lcd/LcdLink.h"
#include "lcd/LinkController.h"
#include "lcd/modLcdFunc.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"

#include <algorithm>

BulletinBoard::BulletinBoard(ScreenLines& lines, LineWriter& writer, LcdLink& link,
                             LinkController& control, DisplayScheduler& scheduler, QObject* parent)
    : QObject(parent), m_lines(lines), m_writer(writer), m_link(link), m_control(control),
      m_scheduler(scheduler)
{
    m_end.setSingleShot(true);
    connect(&m_end, &QTimer::timeout, this, &BulletinBoard::endShown);
    m_flash.setInterval(FlashHalfPeriodMs);
    connect(&m_flash, &QTimer::timeout, this, &BulletinBoard::flashStep);
    // The program ends: the backlight is left as the user chose it.
    connect(&m_scheduler, &DisplayScheduler::stopping, this, [this] {
        m_waiting.clear();
        m_shown = Entry();
        m_end.stop();
        m_flash.stop();
        restoreBacklight();
    });
    // A module found again was cleared: the bulletin goes back on; after a
    // change of ROM, in the new ROM's codes.
    const auto redraw = [this] {
        if (showing())
            draw();
    };
    connect(&m_control, &LinkController::moduleReinitialised, this, redraw);
    connect(&m_control, &LinkController::charactersChanged, this, redraw);
}

BulletinBoard::~BulletinBoard() = default;

std::array<QByteArray, 4> BulletinBoard::compose(const QStringList& lines, bool center) const
{
    std::array<QByteArray, 4> out;
    const int count = std::min<int>(int(lines.size()), ScreenLines::Count);
    for (int i = 0; i < count; ++i) {
        // Cut before encoding, so a huge text costs nothing; two characters
        // a cell leave room for surrogate pairs, which encode to one.
        QByteArray text = m_lines.codec()
                              .fromUnicode(lines.at(i).left(2 * ScreenLines::Width))
                              .left(ScreenLines::Width);
        if (center && !text.isEmpty())
            text.prepend(QByteArray((ScreenLines::Width - int(text.size())) / 2, ' '));
        out[std::size_t(i)] = text;
    }
    return out;
}

quint32 BulletinBoard::add(const Bulletin& bulletin, const QString& caller)
{
    Entry entry;
    for (const QString& line : bulletin.lines.mid(0, ScreenLines::Count))
        entry.lines << line.left(2 * ScreenLines::Width);
    entry.center = bulletin.center;
    entry.remainingMs = std::clamp<qint64>(bulletin.seconds, 1, MaxSeconds) * 1000;
    entry.flash = bulletin.flash;
    entry.alert = bulletin.alert;
    entry.caller = caller;
    if (queued() >= QueueLimit && !makeRoom(bulletin.alert))
        return 0;
    entry.id = ++m_lastId;
    if (m_lastId == 0) // after 4 billion bulletins
        entry.id = m_lastId = 1;
    const quint32 id = entry.id;
    if (!showing()) {
        show(std::move(entry));
    } else if (bulletin.alert) {
        // The interrupted one goes first in line with the time it had left.
        m_shown.remainingMs = std::max<qint64>(m_shownUntil.remainingTime(), 1);
        m_waiting.push_front(std::move(m_shown));
        show(std::move(entry));
    } else {
        m_waiting.push_back(std::move(entry));
    }
    return id;
}

bool BulletinBoard::makeRoom(bool forAlert)
{
    auto oldest =
        std::find_if(m_waiting.begin(), m_waiting.end(), [](const Entry& e) { return !e.alert; });
    if (oldest == m_waiting.end()) {
        // Only alerts wait: a new info one is refused, a new alert drops
        // the oldest alert.
        if (!forAlert || m_waiting.empty())
            return false;
        oldest = m_waiting.begin();
    }
    const Entry gone = std::move(*oldest);
    m_waiting.erase(oldest);
    Q_EMIT dropped(gone.id, gone.caller);
    return true;
}

bool BulletinBoard::dismiss(quint32 id)
{
    if (id == 0)
        return false;
    if (m_shown.id == id) {
        endShown();
        return true;
    }
    const auto it = std::find_if(m_waiting.begin(), m_waiting.end(),
                                 [id](const Entry& e) { return e.id == id; });
    if (it == m_waiting.end())
        return false;
    m_waiting.erase(it);
    return true;
}

void BulletinBoard::show(Entry entry)
{
    m_shown = std::move(entry);
    m_scheduler.hold();
    m_shownUntil = QDeadlineTimer(m_shown.remainingMs);
    m_end.start(int(m_shown.remainingMs));
    if (!m_shown.flash) {
        m_flash.stop();
        restoreBacklight();
    } else if (!m_flash.isActive()) {
        m_flash.start();
    }
    draw();
}

void BulletinBoard::draw()
{
    const std::array<QByteArray, 4> lines = compose(m_shown.lines, m_shown.center);
    for (int i = 0; i < ScreenLines::Count; ++i)
        m_lines.setLine(i, lines[std::size_t(i)]);
    m_writer.WriteLines();
}

void BulletinBoard::endShown()
{
    m_end.stop();
    m_shown = Entry();
    if (!m_waiting.empty()) {
        Entry next = std::move(m_waiting.front());
        m_waiting.pop_front();
        show(std::move(next));
        return;
    }
    m_flash.stop();
    restoreBacklight();
    m_scheduler.release();
}

void BulletinBoard::flashStep()
{
    m_flashDark = !m_flashDark;
    // The blink goes from the backlight the user chose to its opposite.
    const bool lit = m_control.backlightOn() != m_flashDark;
    m_link.SendLcd(lit ? modLcdFunc::BacklightOn() : modLcdFunc::BacklightOff());
}

void BulletinBoard::restoreBacklight()
{
    if (std::exchange(m_flashDark, false))
        m_link.SendLcd(m_control.backlightOn() ? modLcdFunc::BacklightOn()
                                               : modLcdFunc::BacklightOff());
}
