#pragma once

#include "platform/Mailbox.h"

#include <memory>

// The mailbox from libbrellix-mail.so, loaded on first use. Where the module
// cannot be loaded, a mailbox that fails every call with the reason, so the
// mail screen says what is missing and the rest of Brellix runs on.
std::unique_ptr<Mailbox> loadMailbox();
// A mailbox that loads the module only when first asked to sign on or check.
std::unique_ptr<Mailbox> deferredMailbox();
