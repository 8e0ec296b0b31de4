#include "app/Messages.h"

#include "platform/Logging.h"

void Messages::showMessage(const UserMessage& message)
{
    qCDebug(lcApp).noquote() << "Message:" << message.text;
    Q_EMIT shown(message);
}
