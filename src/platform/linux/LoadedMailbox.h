#pragma once

#include "platform/Mailbox.h"

#include <memory>

// A mailbox that loads libbrellix-mail.so only when first asked to sign on
// or check: a program whose user never sets up mail never maps libcurl and
// the TLS libraries. Where the plugin cannot be loaded, every call fails
// with the reason, so the mail screen says what is missing and the rest of
// Brellix runs on.
std::unique_ptr<Mailbox> deferredMailbox();
