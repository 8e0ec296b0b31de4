#include "app/Messages.h"

#include "platform/Logging.h"
#include "platform/PrintableText.h"

void Messages::showMessage(const UserMessage& message)
{
    // Messages carry servers' and programs' words: the window, the terminal
    // and the journal get them printable.
    UserMessage shownMessage = message;
    shownMessage.text = printableText(message.text);
    if (!shownMessage.text.isEmpty() && shownMessage.text == m_last) {
        qCDebug(lcApp).noquote() << "Message repeated, not shown again:" << shownMessage.text;
        return;
    }
    m_last = shownMessage.text;
    qCDebug(lcApp).noquote() << "Message:" << shownMessage.text;
    Q_EMIT shown(shownMessage);
}
