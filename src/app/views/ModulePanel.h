#pragma once

#include <QImage>
#include <QWidget>

class PtyLcdModule;

// Paints the simulated module as it looks: dots, backlight and brightness.
class ModulePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ModulePanel(PtyLcdModule& module, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PtyLcdModule& m_module;
    // Redrawn only when the module's revision moves on.
    QImage m_picture;
    quint64 m_pictureRevision = 0;
};
