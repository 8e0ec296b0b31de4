#include "screens/system/modSpeedFan.h"

#include "platform/Clock.h"
#include "platform/Logging.h"

#include <QDir>
#include <QFile>

namespace {

// Width of the first column title, which is not a sensor.
constexpr qsizetype TitleSkip = 8;
constexpr qint64 BackChunk = 4096;
constexpr qint64 TitleChunk = 1024;

// Everything from pos on; nothing when pos is past the end.
QByteArrayView from(QByteArrayView s, qsizetype pos)
{
    return pos < s.size() ? s.sliced(pos) : QByteArrayView();
}

QByteArray trimSpaces(QByteArrayView s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin] == ' ')
        ++begin;
    while (end > begin && s[end - 1] == ' ')
        --end;
    return s.sliced(begin, end - begin).toByteArray();
}

// Position of the last CR in bytes [0, end) of the file, -1 when none,
// nullopt when the file cannot be read.
std::optional<qint64> lastCrBefore(QFile& f, qint64 end)
{
    while (end > 0) {
        const qint64 start = qMax<qint64>(0, end - BackChunk);
        if (!f.seek(start))
            return std::nullopt;
        const QByteArray chunk = f.read(end - start);
        if (chunk.size() != end - start)
            return std::nullopt;
        const qsizetype cr = chunk.lastIndexOf('\r');
        if (cr >= 0)
            return start + cr;
        end = start;
    }
    return -1;
}

} // namespace

modSpeedFan::modSpeedFan(QString folder, const Clock& clock)
    : m_folder(std::move(folder)), m_clock(clock)
{
}

QString modSpeedFan::logFileName(const QDate& date)
{
    return QStringLiteral("SFLog%1.csv").arg(date.toString(QStringLiteral("yyyyMMdd")));
}

QString modSpeedFan::logPath() const
{
    return QDir(m_folder).filePath(logFileName(m_clock.now().date()));
}

bool modSpeedFan::hasLogs(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QStringList logs = QDir(folder).entryList({QStringLiteral("SFLog*.csv")}, QDir::Files);
    return !logs.isEmpty();
}

void modSpeedFan::splitFields(QByteArrayView text, std::array<QString, 6>& target, bool dropCrLf)
{
    qsizetype pos = 0;
    for (std::size_t slot = 1; slot < target.size(); ++slot) {
        const qsizetype tab = text.indexOf('\t', pos);
        if (tab >= 0) {
            target[slot] = QString::fromLatin1(text.sliced(pos, tab - pos));
            pos = tab + 1;
            continue;
        }
        QByteArray last = trimSpaces(text.sliced(pos));
        if (dropCrLf)
            last.replace("\r\n", "");
        target[slot] = QString::fromLatin1(last);
        return;
    }
}

bool modSpeedFan::ReadSpeedFanLog(SensorTable& table)
{
    QString error;
    if (read(table, &error)) {
        m_report.succeeded();
        return true;
    }
    if (m_report.failed())
        qCInfo(lcScreens).noquote() << "SpeedFan readings unchanged:" << error;
    return false;
}

bool modSpeedFan::read(SensorTable& table, QString* error) const
{
    const QString path = logPath();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return false;
    }

    // Title line: up to the first CR. The file's last byte is never part of
    // it, so a CR LF at the very end is not needed.
    const qint64 length = f.size();
    const qint64 titleRange = qMin(length - 1, MaxTitleBytes);
    QByteArray title;
    qsizetype titleEnd = -1;
    while (titleEnd < 0 && title.size() < titleRange) {
        const QByteArray chunk = f.read(qMin(TitleChunk, titleRange - title.size()));
        if (chunk.isEmpty()) {
            *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
            return false;
        }
        const qsizetype at = chunk.indexOf('\r');
        if (at >= 0)
            titleEnd = title.size() + at;
        title += chunk;
    }
    if (titleEnd >= 0) {
        title.truncate(titleEnd);
    } else if (length - 1 >= MaxTitleBytes) {
        *error = QStringLiteral("%1 has no title line").arg(path);
        return false;
    }
    splitFields(from(title, TitleSkip), table.SensorNames, false);

    // Last line: after the last CR before the CR LF that ends the file.
    if (length < 2) {
        *error = QStringLiteral("%1 holds no readings").arg(path);
        return false;
    }
    const std::optional<qint64> cr = lastCrBefore(f, length - 2);
    if (!cr) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    if (*cr < 0) {
        // Only a title line: there are no values yet.
        *error = QStringLiteral("%1 holds no readings").arg(path);
        return false;
    }
    QByteArray block(LastLineBytes, '\0');
    if (!f.seek(*cr + 2)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    const qint64 got = f.read(block.data(), LastLineBytes);
    if (got < 0) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    // The first field is the time of the row.
    const qsizetype tab = block.indexOf('\t');
    splitFields(from(block, tab + 1), table.SensorValues, true);
    return true;
}
