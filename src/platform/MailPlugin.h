#pragma once

#include "platform/Mailbox.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-mail.so: makes the mail screen's mailbox. The
// interface id carries its version; bump it whenever this class or Mailbox
// changes, so that a module built against the old ones is refused unread.
class MailPlugin
{
public:
    virtual ~MailPlugin() = default;
    virtual std::unique_ptr<Mailbox> createMailbox() = 0;
};

#define BRELLIX_MAIL_PLUGIN_IID "io.github.brellix.MailPlugin/1"
Q_DECLARE_INTERFACE(MailPlugin, BRELLIX_MAIL_PLUGIN_IID)
