#pragma once

#include <QImage>
#include <QWidget>

class LcdModule;

// Paints a module as it looks: dots, custom glyphs, backlight and
// brightness. It grows with the window in whole steps, so the dots stay
// square.
class ModulePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ModulePanel(const LcdModule& module, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

public Q_SLOTS:
    // The module took bytes: paint it again.
    void moduleChanged() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int dotSizeFor(const QSize& size) const;

    const LcdModule& m_module;
    // Redrawn only when the module's revision or the size moves on.
    QImage m_picture;
    quint64 m_pictureRevision = 0;
};
