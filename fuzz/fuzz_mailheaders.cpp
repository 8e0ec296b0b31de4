// A message's header block: the sender and subject the e-mail screen shows.
#include "FuzzSupport.h"

#include "screens/mail/MailHeaders.h"

FUZZ_TARGET
{
    const QByteArray& block = bytes;
    const MailHeaders headers = MailHeaders::parse(block);
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.from));
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.subject));
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.rawDate));
    FUZZ_CHECK(fuzz::onlyModuleCodes(MailHeaders::decodeText(block)));
    FUZZ_CHECK(fuzz::onlyModuleCodes(MailHeaders::displayName(block)));
    MailHeaders::parseDate(block);
}
