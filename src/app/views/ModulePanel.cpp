#include "app/views/ModulePanel.h"

#include "sim/LcdFont.h"

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
        using namespace CommandSet;
        return {2 * margin + Columns * cellW + (Columns - 1) * charGap,
                2 * margin + Rows * cellH + (Rows - 1) * charGap};
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
QImage image(const ModulePicture& module, int dotSize)
{
    const Geometry g(dotSize);
    QImage picture(g.size(), QImage::Format_RGB32);

    // A yellow-green positive panel: the backlight lights the glass, the
    // brightness level scales it, and the dots stay dark either way.
    const QColor unlitPanel(78, 88, 60);
    const QColor litPanel(150, 205, 60);
    const double level = module.backlight ? 0.3 + 0.7 * module.brightness / 255.0 : 0.0;
    const QColor panel = mix(unlitPanel, litPanel, level);
    const QColor ink(20, 30, 14);
    const QRgb dotOn = mix(panel, ink, 0.85).rgb();
    const QRgb dotOff = mix(panel, ink, 0.12).rgb();
    picture.fill(panel.rgb());

    for (int r = 0; r < CommandSet::Rows; ++r) {
        for (int c = 0; c < CommandSet::Columns; ++c) {
            const quint8 code = module.cell(r, c);
            const bool digit = module.digitCells[std::size_t(r * CommandSet::Columns + c)];
            const LcdFont::Rows rows = code < CommandSet::CustomCharacters ? module.glyphs[code]
                                       : digit                             ? LcdFont::rows(code)
                                               : LcdFont::rows(code, module.characters);
            const int x0 = g.margin + c * (g.cellW + g.charGap);
            const int y0 = g.margin + r * (g.cellH + g.charGap);
            for (int dy = 0; dy < 8; ++dy) {
                for (int dx = 0; dx < 5; ++dx) {
                    const bool on = rows[dy] & (0x10 >> dx);
                    fill(picture, x0 + dx * (g.dot + g.gap), y0 + dy * (g.dot + g.gap), g.dot,
                         g.dot, on ? dotOn : dotOff);
                }
            }
        }
    }
    return picture;
}

} // namespace

ModulePanel::ModulePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ModulePanel"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ModulePanel::show(const ModulePicture& picture)
{
    if (picture == m_shown)
        return;
    m_shown = picture;
    m_imageStale = true;
    update();
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
    if (m_imageStale || m_image.size() != Geometry(dot).size()) {
        m_image = image(m_shown, dot);
        m_imageStale = false;
    }
    QPainter p(this);
    // Centred across; what is left around it stays the window's.
    p.drawImage((width() - m_image.width()) / 2, 0, m_image);
}
