#include "FuzzSupport.h"

#include "screens/mail/MailHeaders.h"

FUZZ_TARGET
{
    const MailHeaders h = MailHeaders::parse(bytes);
    FUZZ_CHECK(fuzz::onlyModuleCodes(h.from, h.subject, h.rawDate, MailHeaders::decodeText(bytes),
                                     MailHeaders::displayName(bytes)));
    MailHeaders::parseDate(bytes);
}
