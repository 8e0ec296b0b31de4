#include "app/views/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap drawn(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    // The board, the glass, and four lines of characters.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 30));
    p.drawRoundedRect(QRectF(1 * s, 6 * s, 30 * s, 20 * s), 2 * s, 2 * s);
    p.setBrush(QColor(150, 205, 60));
    p.drawRect(QRectF(3 * s, 8 * s, 26 * s, 16 * s));
    p.setBrush(QColor(40, 60, 20));
    for (int line = 0; line < 4; ++line) {
        const int characters = line == 1 ? 6 : line == 3 ? 4 : 8;
        for (int c = 0; c < characters; ++c)
            p.drawRect(QRectF((4.5 + c * 3) * s, (9.5 + line * 3.5) * s, 2 * s, 2.5 * s));
    }
    return pixmap;
}
} // namespace

QIcon appIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64, 128})
        icon.addPixmap(drawn(size));
    return icon;
}
