// A message's header block: the sender and subject the e-mail screen shows.
#include "FuzzSupport.h"

#include "ModuleCodes.h"
#include "screens/mail/MailHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char*>(data), qsizetype(size));
    const MailHeaders headers = MailHeaders::parse(block);
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.from));
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.subject));
    FUZZ_CHECK(fuzz::onlyModuleCodes(headers.rawDate));
    FUZZ_CHECK(fuzz::onlyModuleCodes(MailHeaders::decodeText(block)));
    FUZZ_CHECK(fuzz::onlyModuleCodes(MailHeaders::displayName(block)));
    MailHeaders::parseDate(block);
    return 0;
}
