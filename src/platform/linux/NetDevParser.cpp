#include "platform/linux/NetDevParser.h"

#include "platform/Logging.h"

namespace NetDevParser {
namespace {
// Receive: bytes packets errs drop fifo frame compressed multicast,
// Transmit: bytes packets errs drop fifo colls carrier compressed.
constexpr int FieldCount = 16;
} // namespace

std::optional<QList<InterfaceRow>> parse(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 2 || !lines[0].contains("Receive") || !lines[0].contains("Transmit") ||
        !lines[1].contains("bytes"))
        return std::nullopt;

    QList<InterfaceRow> rows;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.trimmed().isEmpty())
            continue;
        // Old kernels glue the first number to the colon ("eth0:1234").
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) {
            qCWarning(lcPlatform) << "interface statistics: row without a name:" << line;
            continue;
        }
        const QByteArray name = line.left(colon).trimmed();
        const QList<QByteArray> f = line.mid(colon + 1).simplified().split(' ');
        if (name.isEmpty() || f.size() < FieldCount) {
            qCWarning(lcPlatform) << "interface statistics: short row:" << line;
            continue;
        }
        quint64 v[FieldCount] = {};
        bool allOk = true;
        for (int k = 0; k < FieldCount && allOk; ++k)
            v[k] = f[k].toULongLong(&allOk);
        if (!allOk) {
            qCWarning(lcPlatform) << "interface statistics: bad number in row:" << line;
            continue;
        }
        InterfaceRow row;
        row.name = QString::fromLocal8Bit(name);
        row.rxBytes = v[0];
        row.rxPackets = v[1];
        row.rxErrors = v[2];
        row.rxDropped = v[3];
        row.rxMulticast = v[7];
        row.txBytes = v[8];
        row.txPackets = v[9];
        row.txErrors = v[10];
        row.txDropped = v[11];
        rows.append(std::move(row));
    }
    return rows;
}

} // namespace NetDevParser
