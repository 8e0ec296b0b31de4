#pragma once

#include "platform/Bulletin.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <deque>

class DisplayScheduler;
class LcdLink;
class LineWriter;
class LinkController;
class ScreenLines;

// Bulletins of other programs on the module, over the shown mode: one at a
// time on the four screen lines (so the window's boxes show it too), the
// others waiting. While one shows, the scheduler holds its refreshes; after
// the last, it switches into its mode again. Text reaches the lines only
// through the module codec, cut to the screen's width.
class BulletinBoard : public QObject
{
    Q_OBJECT
public:
    // The one shown and the waiting ones together.
    static constexpr int QueueLimit = 32;
    static constexpr int MaxSeconds = 3600;
    // Half a period of the backlight's blink: at most one change a half
    // second, so the module never flickers faster than 1 Hz.
    static constexpr int FlashHalfPeriodMs = 500;

    BulletinBoard(ScreenLines& lines, LineWriter& writer, LcdLink& link, LinkController& control,
                  DisplayScheduler& scheduler, QObject* parent = nullptr);
    ~BulletinBoard() override;

    // The bulletin's id (never 0); 0 when the queue is full of alerts and
    // the new bulletin is an info one. Its seconds are held to 1..MaxSeconds;
    // caller is told if it is dropped.
    quint32 add(const Bulletin& bulletin, const QString& caller);
    // Ends the bulletin shown, or takes a waiting one out; false for an id
    // that is neither.
    bool dismiss(quint32 id);
    bool showing() const { return m_shown.id != 0; }
    int queued() const { return int(m_waiting.size()) + (showing() ? 1 : 0); }

    // The module's lines as a bulletin shows them: cut and, when asked,
    // centred, in the codes of the module's ROM as chosen now.
    std::array<QByteArray, 4> compose(const QStringList& lines, bool center) const;

Q_SIGNALS:
    // A waiting bulletin made room for a newer one.
    void dropped(quint32 id, const QString& caller);

private:
    struct Entry
    {
        quint32 id = 0;
        // The text, cut to what can show: encoded when drawn, so a change
        // of the character ROM reaches it.
        QStringList lines;
        bool center = false;
        qint64 remainingMs = 0;
        bool flash = false;
        bool alert = false;
        QString caller;
    };
    void show(Entry entry);
    void endShown();
    void draw();
    void flashStep();
    void restoreBacklight();
    bool makeRoom(bool forAlert);

    ScreenLines& m_lines;
    LineWriter& m_writer;
    LcdLink& m_link;
    LinkController& m_control;
    DisplayScheduler& m_scheduler;
    quint32 m_lastId = 0;
    Entry m_shown;
    QDeadlineTimer m_shownUntil;
    std::deque<Entry> m_waiting;
    QTimer m_end;
    QTimer m_flash;
    bool m_flashDark = false; // the backlight is off for the blink
};
