#include "app/views/ModulePanel.h"

#include "sim/LcdFont.h"
#include "sim/LcdModule.h"

#include <QColor>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int DotSize = 2;

// Distances on the panel for a given dot size; the glass between dots and
// characters keeps the dot matrix visible at any scale.
struct Geometry
{
    explicit Geometry(int dotSize)
        : dot(std::max(1, dotSize)), gap(std::max(1, dot / 3)), charGap(dot), margin(2 * dot),
          cellW(5 * dot + 4 * gap), cellH(8 * dot + 7 * gap)
    {
    }
    QSize size() const
    {
        return {2 * margin + LcdModule::Columns * cellW + (LcdModule::Columns - 1) * charGap,
                2 * margin + LcdModule::Rows * cellH + (LcdModule::Rows - 1) * charGap};
    }

    int dot, gap, charGap, margin, cellW, cellH;
};

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void fill(QImage& image, int x, int y, int w, int h, QRgb colour)
{
    for (int yy = y; yy < y + h; ++yy) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(yy));
        std::fill(line + x, line + x + w, colour);
    }
}

// The module at dotSize pixels per dot, 5x8 dots per character.
QImage picture(const LcdModule& module, int dotSize)
{
    const Geometry g(dotSize);
    QImage image(g.size(), QImage::Format_RGB32);

    // A yellow-green positive panel: the backlight lights the glass, the
    // brightness level scales it, and the dots stay dark either way.
    const QColor unlitPanel(78, 88, 60);
    const QColor litPanel(150, 205, 60);
    const double level = module.backlight() ? 0.3 + 0.7 * module.brightness() / 255.0 : 0.0;
    const QColor panel = mix(unlitPanel, litPanel, level);
    const QColor ink(20, 30, 14);
    const QRgb dotOn = mix(panel, ink, 0.85).rgb();
    const QRgb dotOff = mix(panel, ink, 0.12).rgb();
    image.fill(panel.rgb());

    for (int r = 0; r < LcdModule::Rows; ++r) {
        const QByteArray codes = module.line(r);
        for (int c = 0; c < LcdModule::Columns; ++c) {
            const auto code = quint8(codes.at(c));
            const LcdFont::Rows rows = code < 8 ? module.glyph(code) : LcdFont::rows(code);
            const int x0 = g.margin + c * (g.cellW + g.charGap);
            const int y0 = g.margin + r * (g.cellH + g.charGap);
            for (int dy = 0; dy < 8; ++dy) {
                for (int dx = 0; dx < 5; ++dx) {
                    const bool on = rows[dy] & (0x10 >> dx);
                    fill(image, x0 + dx * (g.dot + g.gap), y0 + dy * (g.dot + g.gap), g.dot, g.dot,
                         on ? dotOn : dotOff);
                }
            }
        }
    }
    return image;
}

} // namespace

ModulePanel::ModulePanel(const LcdModule& module, QWidget* parent)
    : QWidget(parent), m_module(module)
{
    setObjectName(QStringLiteral("ModulePanel"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QSize ModulePanel::sizeHint() const
{
    return Geometry(DotSize).size();
}

QSize ModulePanel::minimumSizeHint() const
{
    return Geometry(1).size();
}

int ModulePanel::heightForWidth(int width) const
{
    return Geometry(dotSizeFor(QSize(width, QWIDGETSIZE_MAX))).size().height();
}

int ModulePanel::dotSizeFor(const QSize& size) const
{
    int dot = 1;
    while (dot < 32) {
        const QSize next = Geometry(dot + 1).size();
        if (next.width() > size.width() || next.height() > size.height())
            break;
        ++dot;
    }
    return dot;
}

void ModulePanel::paintEvent(QPaintEvent*)
{
    const int dot = dotSizeFor(size());
    if (m_picture.isNull() || m_pictureRevision != m_module.revision() ||
        m_picture.size() != Geometry(dot).size()) {
        m_picture = picture(m_module, dot);
        m_pictureRevision = m_module.revision();
    }
    QPainter p(this);
    // Centred across; what is left around it stays the window's.
    p.drawImage((width() - m_picture.width()) / 2, 0, m_picture);
}
