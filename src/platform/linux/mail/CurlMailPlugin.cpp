// libbrellix-mail.so: the mailbox over libcurl, loaded by brellix and
// brellixd only when the mail mode first signs on. libcurl and the TLS
// libraries behind it take some megabytes once loaded, which a program that
// never shows mail should not carry.
#include "platform/MailPlugin.h"
#include "platform/linux/mail/CurlMailbox.h"

#include <QObject>

class CurlMailPlugin final : public QObject, public MailPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_MAIL_PLUGIN_IID)
    Q_INTERFACES(MailPlugin)
public:
    std::unique_ptr<Mailbox> createMailbox() override { return std::make_unique<CurlMailbox>(); }
};

#include "CurlMailPlugin.moc"
