#include "FuzzSupport.h"

#include "lcd/SerialLineSettings.h"

FUZZ_TARGET
{
    QString error;
    const auto s = SerialLineSettings::parse(QString::fromUtf8(bytes), &error);
    FUZZ_CHECK(s || !error.isEmpty());
    FUZZ_CHECK(!s || (s->baudRate >= 50 && s->baudRate <= 4000000));
    FUZZ_CHECK(!s || (s->dataBits >= QSerialPort::Data5 && s->dataBits <= QSerialPort::Data8));
}
