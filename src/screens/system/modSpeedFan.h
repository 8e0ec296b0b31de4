#pragma once

#include "platform/ReportOnce.h"
#include "screens/system/SensorSource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <array>

class Clock;

// Readings from the daily log of the SpeedFan hardware monitor, for users
// whose sensors are watched by SpeedFan on a Windows machine and who share
// its folder. The log is tab-separated 8-bit text with CR LF line ends:
// the title line holds the column titles after a first column of 8
// characters, the last line the latest values after a first field.
class modSpeedFan final : public SensorSource
{
public:
    // Titles longer than this without a CR are not a log.
    static constexpr qint64 MaxTitleBytes = 32766;
    // Bytes of the last line that are looked at.
    static constexpr int LastLineBytes = 256;

    modSpeedFan(QString folder, const Clock& clock);

    void refresh(SensorTable& table) override { ReadSpeedFanLog(table); }

    // Reads today's log: titles into SensorNames, the latest values into
    // SensorValues (slots 1 to 5), each as Latin-1 text holding the log's
    // bytes. Slots a line does not reach keep their contents. On a failure
    // the rest is left as it was and the result is false.
    bool ReadSpeedFanLog(SensorTable& table);

    // Today's log in the folder.
    QString logPath() const;
    // "SFLog" + yyyyMMdd + ".csv".
    static QString logFileName(const QDate& date);
    // The folder holds at least one SpeedFan log.
    static bool hasLogs(const QString& folder);

    // Splits text at TABs into target[1..5]: every field but the one after
    // the last TAB is taken as it is; that one loses its surrounding spaces
    // and, when dropCrLf is set, every CR LF pair. A sixth field and beyond
    // are ignored; fewer fields leave the higher slots unchanged.
    static void splitFields(QByteArrayView text, std::array<QString, 6>& target, bool dropCrLf);

private:
    bool read(SensorTable& table, QString* error) const;

    QString m_folder;
    const Clock& m_clock;
    ReportOnce m_report;
};
