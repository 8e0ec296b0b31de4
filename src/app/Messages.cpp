#include "app/Messages.h"

#include "platform/Logging.h"
#include "platform/PrintableText.h"

void Messages::showMessage(const UserMessage& message)
{
    // Messages carry servers' and programs' words: the window, the terminal
    // and the journal get them printable.
    UserMessage shownMessage = message;
    shownMessage.text = printableText(message.text);
    qCDebug(lcApp).noquote() << "Message:" << shownMessage.text;
    Q_EMIT shown(shownMessage);
}
