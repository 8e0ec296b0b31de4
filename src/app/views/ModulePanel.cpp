#include "app/views/ModulePanel.h"

#include "sim/PtyLcdModule.h"

#include <QPainter>

ModulePanel::ModulePanel(PtyLcdModule& module, QWidget* parent) : QWidget(parent), m_module(module)
{
    setObjectName(QStringLiteral("ModulePanel"));
    connect(&module, &PtyLcdModule::screenChanged, this, qOverload<>(&QWidget::update));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ModulePanel::sizeHint() const
{
    return m_module.module().render(2).size();
}

void ModulePanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_module.module().render(2));
}
