// The line settings string ("9600,n,8,1") as a settings file can hold it.
#include "FuzzSupport.h"

#include "lcd/SerialLineSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<SerialLineSettings> s = SerialLineSettings::parse(text, &error);
    if (!s) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(s->baudRate >= 50 && s->baudRate <= 4000000);
    FUZZ_CHECK(s->dataBits >= QSerialPort::Data5 && s->dataBits <= QSerialPort::Data8);
    return 0;
}
