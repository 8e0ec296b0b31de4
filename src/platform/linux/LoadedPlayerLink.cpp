#include "platform/linux/LoadedPlayerLink.h"

#include "platform/linux/ModuleLoader.h"

LoadedPlayerLink::LoadedPlayerLink() = default;
LoadedPlayerLink::~LoadedPlayerLink() = default;

void LoadedPlayerLink::start(std::function<void()> listed)
{
    if (!m_loaded) {
        m_loaded = true;
        QString why;
        m_real = createFromModule<MediaPlayerLink>(QStringLiteral("player"),
                                                   "brellix_create_player_link",
                                                   QStringLiteral("player link"), &why);
        if (m_real)
            m_real->setPreferredPlayer(m_preferred);
    }
    if (m_real)
        m_real->start(std::move(listed));
    else if (listed)
        listed(); // nothing to list, as without a bus
}

void LoadedPlayerLink::setPreferredPlayer(const QString& suffix)
{
    m_preferred = suffix;
    if (m_real)
        m_real->setPreferredPlayer(suffix);
}

MediaPlayerLink::PlaybackState LoadedPlayerLink::state() const
{
    return m_real ? m_real->state() : PlaybackState::Stopped;
}

MediaPlayerLink::Track LoadedPlayerLink::track() const
{
    return m_real ? m_real->track() : Track{};
}

void LoadedPlayerLink::refresh()
{
    if (m_real)
        m_real->refresh();
}
