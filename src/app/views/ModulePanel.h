#pragma once

#include "app/views/ModulePicture.h"

#include <QImage>
#include <QWidget>

// Paints a module as it looks: dots, custom glyphs, backlight and
// brightness. It grows with the window in whole steps, so the dots stay
// square.
class ModulePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ModulePanel(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // What is shown; painted again where it differs.
    void show(const ModulePicture& picture);
    const ModulePicture& picture() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int dotSizeFor(const QSize& size) const;

    ModulePicture m_shown;
    // Redrawn only when what is shown or the size changes.
    QImage m_image;
    bool m_imageStale = true;
};
