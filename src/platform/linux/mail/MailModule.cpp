// libbrellix-mail.so: the mailbox over libcurl, loaded by brellix and
// brellixd only when the mail mode is first chosen. libcurl and the TLS
// libraries behind it take some megabytes once loaded, which a program that
// never shows mail should not carry.
#include "platform/linux/mail/CurlMailbox.h"

extern "C" __attribute__((visibility("default"))) Mailbox* brellix_create_mailbox()
{
    return new CurlMailbox();
}
