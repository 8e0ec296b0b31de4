#include "app/WeatherModel.h"

#include "app/UpdateMinutes.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/web/WeatherSettings.h"

WeatherModel::Choice WeatherModel::load() const
{
    return {m_inUse.WeatherCity.left(MaxLength), m_inUse.WeatherCountry.left(MaxLength),
            UpdateMinutes::Text(m_inUse.WeatherUpdateSeconds)};
}

bool WeatherModel::confirm(const Choice& choice)
{
    // Blanks around the names would reach the request (and the file trims them).
    const QString city = choice.city.trimmed().left(MaxLength);
    const QString country = choice.country.trimmed().left(MaxLength);
    const std::optional<int> minutes = UpdateMinutes::Parse(choice.update);
    QString warning;
    if (city.isEmpty())
        warning = QStringLiteral("City Not Entered");
    else if (country.isEmpty())
        warning = QStringLiteral("Country Not Entered");
    else if (!minutes)
        warning = UpdateMinutes::Refused;
    if (!warning.isEmpty()) {
        m_messages.showMessage({warning, MessageSeverity::Warning, MessageCategory::Settings});
        return false;
    }
    const QString section = QStringLiteral("Weather");
    m_ini.WriteIni(section, QStringLiteral("City"), city);
    m_ini.WriteIni(section, QStringLiteral("Country"), country);
    m_ini.WriteIni(section, QStringLiteral("Update"), QString::number(*minutes));
    // In use from the next refresh on, even if the file could not be written
    // (modINI has logged that).
    m_inUse.WeatherCity = city;
    m_inUse.WeatherCountry = country;
    m_inUse.WeatherUpdateSeconds = *minutes * 60;
    return true;
}
