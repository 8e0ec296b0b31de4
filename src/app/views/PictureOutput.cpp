#include "app/views/PictureOutput.h"

#include "app/views/ModulePanel.h"
#include "lcd/LcddOutput.h"
#include "lcd/LinkController.h"

namespace {
LcddOutput* lcddOf(const LinkController& link)
{
    return qobject_cast<LcddOutput*>(link.output(QLatin1String(LcddOutput::Key)));
}
} // namespace

PictureOutput::PictureOutput(LinkController& link, ModulePanel& panel, QObject* parent)
    : DisplayOutput(parent), m_link(link), m_panel(panel)
{
    link.attachOutput(*this);
    if (LcddOutput* lcdd = lcddOf(link))
        connect(lcdd, &LcddOutput::screenChanged, this, &PictureOutput::outputsChanged);
}

void PictureOutput::modelChanged()
{
    if (m_link.serialOutput() && m_link.link().isOpen())
        m_panel.show(ModulePicture::of(m_link.model(), m_link.codec().characters()));
}

void PictureOutput::outputsChanged()
{
    const LcddOutput* lcdd = lcddOf(m_link);
    if (!m_link.serialOutput() && lcdd && m_link.chosen(QLatin1String(LcddOutput::Key)))
        m_panel.show(ModulePicture::of(lcdd->screen()));
}
