// The line settings string ("9600,n,8,1") as a settings file can hold it.
#include "FuzzSupport.h"

#include "lcd/SerialLineSettings.h"

FUZZ_TARGET
{
    const QString text = QString::fromUtf8(bytes);
    QString error;
    const std::optional<SerialLineSettings> s = SerialLineSettings::parse(text, &error);
    if (!s) {
        FUZZ_CHECK(!error.isEmpty());
        return;
    }
    FUZZ_CHECK(s->baudRate >= 50 && s->baudRate <= 4000000);
    FUZZ_CHECK(s->dataBits >= QSerialPort::Data5 && s->dataBits <= QSerialPort::Data8);
}
