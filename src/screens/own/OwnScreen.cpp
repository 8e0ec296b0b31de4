#include "screens/own/OwnScreen.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Logging.h"
#include "screens/base/ScreenLines.h"
#include "screens/base/modCustomChar.h"
#include "screens/own/ValueProvider.h"

OwnScreen::OwnScreen(OwnScreenSettings settings, ScreenLines& lines, LcdLink& link,
                     const OwnValueSources& sources)
    : m_settings(std::move(settings)), m_lines(lines), m_link(link), m_sources(sources)
{
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i) {
        m_templates[i] = ScreenTemplate::parse(m_settings.lines[i]);
        m_scrolls = m_scrolls || m_settings.scroll[i];
        m_hasBar = m_hasBar || m_templates[i].hasBar();
    }
}

OwnScreen::~OwnScreen() = default;

void OwnScreen::enter()
{
    if (m_hasBar)
        modCustomChar::LoadCustomChars(m_link, modCustomChar::BarGlyphs);

    // The values each kind of provider serves here, then one provider a kind.
    std::map<const ValueProvider::Kind*, QList<ValueProvider::Use>> uses;
    QStringList unknown;
    for (const ScreenTemplate& t : m_templates) {
        unknown += t.unknown();
        for (const ScreenTemplate::Part& part : t.parts()) {
            if (const ValueProvider::Kind* kind = ValueProvider::kindOf(part.name))
                uses[kind].append({part.name, part.arg});
        }
    }
    if (!unknown.isEmpty() && !std::exchange(m_warned, true))
        qCWarning(lcScreens).noquote()
            << QStringLiteral("Screen %1: unknown values {%2}; they show as {?name}")
                   .arg(m_settings.name, unknown.join(QStringLiteral("}, {")));

    m_untilRefresh = 0;
    m_changed = false;
    m_offsets = {};
    // Providers end with the visit, so none calls back afterwards.
    for (auto& [kind, list] : uses) {
        const ValueProvider::Context context{m_sources, list, m_settings.updateSeconds,
                                             m_settings.name, [this] { m_changed = true; }};
        m_providers[kind] = kind->make(context);
    }
}

void OwnScreen::leave()
{
    m_providers.clear();
}

std::optional<QString> OwnScreen::lookup(const QString& name, const QString& arg) const
{
    const auto it = m_providers.find(ValueProvider::kindOf(name));
    return it == m_providers.end() ? std::nullopt : it->second->value(name, arg);
}

void OwnScreen::compose()
{
    const auto lookup = [this](const QString& name, const QString& arg) {
        return this->lookup(name, arg);
    };
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i) {
        m_full[i] = m_templates[i].render(lookup, m_lines.codec());
        m_lines.setLine(i, ScreenTemplate::fitLine(m_full[i], m_settings.align[i],
                                                   m_settings.scroll[i], m_offsets[i]));
    }
}

// +--------------------+
// |12:34  Tue 5 May    |  Line1={time:HH:mm}  {date:ddd d MMM}
// |Load 42%            |  Line2=Load {cpu}%
// |########2           |  Line3={bar:cpu}: 5 a full cell, 1-4 a partial one
// |back at 3           |  Line4={file:/tmp/brellix-note}
// +--------------------+
bool OwnScreen::refreshDue()
{
    if (--m_untilRefresh <= 0) {
        m_untilRefresh = m_settings.updateSeconds;
        for (const auto& [kind, provider] : m_providers)
            provider->refresh();
        m_changed = false; // what came in is in this refresh
        return true;
    }
    return std::exchange(m_changed, false);
}

void OwnScreen::ShowOwnScreen()
{
    compose();
}

void OwnScreen::timerTick()
{
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i) {
        if (!m_settings.scroll[i] || m_full[i].size() <= ScreenLines::Width)
            continue;
        ++m_offsets[i];
        const QByteArray window =
            ScreenTemplate::fitLine(m_full[i], m_settings.align[i], true, m_offsets[i]);
        m_lines.setLine(i, window);
        m_link.SendLcd(modLcdFunc::LcdSelectLine(quint8(i)));
        m_link.SendLcd(window);
    }
}
