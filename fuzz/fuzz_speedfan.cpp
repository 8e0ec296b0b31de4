// A SpeedFan log of any bytes in the watched folder, and its field splitter.
#include "FuzzSupport.h"

#include "../tests/support/FixedClock.h"
#include "screens/system/SensorTable.h"
#include "screens/system/modSpeedFan.h"

FUZZ_TARGET
{
    static const FixedClock clock(QDateTime(QDate(2007, 3, 3), QTime(14, 30)));
    static modSpeedFan log(fuzz::scratchFolder(), clock);
    fuzz::writeFile(log.logPath(), bytes);

    SensorTable table;
    log.ReadSpeedFanLog(table);
    FUZZ_CHECK(table.SensorNames[0].isEmpty() && table.SensorValues[0].isEmpty());
    for (int i = SensorTable::First; i <= SensorTable::Last; ++i)
        FUZZ_CHECK(table.SensorValues[i].size() <= modSpeedFan::LastLineBytes);

    for (const bool dropCrLf : {false, true}) {
        std::array<QString, 6> fields;
        modSpeedFan::splitFields(bytes, fields, dropCrLf);
        FUZZ_CHECK(fields[0].isEmpty());
        FUZZ_CHECK(fields[1].size() + fields[2].size() + fields[3].size() + fields[4].size() +
                       fields[5].size() <=
                   bytes.size());
    }
}
