#include "app/IntervalModel.h"

#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/web/StockSettings.h"
#include "screens/web/UpdateMinutes.h"
#include "screens/web/WeatherSettings.h"

IntervalModel IntervalModel::weather(modINI& ini, WeatherSettings& inUse, MessageSink& messages)
{
    return {{{&inUse.WeatherCity, 30, QStringLiteral("City Not Entered")},
             {&inUse.WeatherCountry, 30, QStringLiteral("Country Not Entered")}},
            inUse.WeatherUpdateSeconds,
            [&ini, &inUse] { inUse.save(ini); },
            messages};
}

IntervalModel IntervalModel::stock(modINI& ini, StockSettings& inUse, MessageSink& messages)
{
    return {{{&inUse.StockSymbol, 20, QStringLiteral("Stock Symbol Not Entered")}},
            inUse.StockUpdateSeconds,
            [&ini, &inUse] { inUse.save(ini); },
            messages};
}

IntervalModel::Choice IntervalModel::load() const
{
    Choice c;
    for (const Field& f : m_fields)
        c.texts.append(f.inUse->left(f.maxLength));
    c.update = UpdateMinutes::Text(m_seconds);
    return c;
}

bool IntervalModel::confirm(const Choice& choice)
{
    // Blanks around a name would reach the request (and the file trims them).
    QStringList texts;
    QString warning;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        texts.append(choice.texts.value(qsizetype(i)).trimmed().left(m_fields[i].maxLength));
        if (texts.last().isEmpty() && warning.isEmpty())
            warning = m_fields[i].notEntered;
    }
    const std::optional<int> minutes = UpdateMinutes::Parse(choice.update);
    if (warning.isEmpty() && !minutes)
        warning = UpdateMinutes::Refused;
    if (!warning.isEmpty()) {
        m_messages.showMessage({warning, MessageSeverity::Warning, MessageCategory::Settings});
        return false;
    }
    // In use from the next refresh on, even if the file could not be written
    // (modINI has logged that).
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        *m_fields[i].inUse = texts[qsizetype(i)];
    m_seconds = *minutes * 60;
    m_save();
    return true;
}
