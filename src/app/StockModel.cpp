#include "app/StockModel.h"

#include "app/UpdateMinutes.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/web/StockSettings.h"

StockModel::Choice StockModel::load() const
{
    return {m_inUse.StockSymbol.left(MaxLength), UpdateMinutes::Text(m_inUse.StockUpdateSeconds)};
}

bool StockModel::confirm(const Choice& choice)
{
    const QString symbol = choice.symbol.trimmed().left(MaxLength);
    const std::optional<int> minutes = UpdateMinutes::Parse(choice.update);
    QString warning;
    if (symbol.isEmpty())
        warning = QStringLiteral("Stock Symbol Not Entered");
    else if (!minutes)
        warning = UpdateMinutes::Refused;
    if (!warning.isEmpty()) {
        m_messages.showMessage({warning, MessageSeverity::Warning, MessageCategory::Settings});
        return false;
    }
    const QString section = QStringLiteral("Stock");
    m_ini.WriteIni(section, QStringLiteral("Symbol"), symbol);
    m_ini.WriteIni(section, QStringLiteral("Update"), QString::number(*minutes));
    m_inUse.StockSymbol = symbol;
    m_inUse.StockUpdateSeconds = *minutes * 60;
    return true;
}
