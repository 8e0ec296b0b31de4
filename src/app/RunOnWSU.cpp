#include "app/RunOnWSU.h"

#include "platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString Group = QStringLiteral("Desktop Entry");
} // namespace

RunOnWSU::RunOnWSU(QString entryPath, QString program, QString configFile)
    : m_entryPath(std::move(entryPath)), m_program(std::move(program)),
      m_configFile(configFile.isEmpty() ? QString() : QFileInfo(configFile).absoluteFilePath())
{
}

QString RunOnWSU::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/brellixv2.desktop");
}

QString RunOnWSU::quoteExecArgument(const QString& argument)
{
    // Reserved characters of the Exec key: an argument holding one is
    // quoted, and inside the quotes ", `, $ and \ are escaped.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString out;
    for (const QChar c : argument) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            out += u'\\';
        if (c == u'%')
            out += u'%'; // a literal percent sign, not a field code
        out += c;
    }
    if (quote)
        out = u'"' + out + u'"';
    // The Exec value is a string value too, whose own escape is the backslash.
    out.replace(u'\\', QStringLiteral("\\\\"));
    return out;
}

QString RunOnWSU::StartupCommand() const
{
    QString command = quoteExecArgument(m_program);
    if (!m_configFile.isEmpty())
        command += QStringLiteral(" --config ") + quoteExecArgument(m_configFile);
    return command + QStringLiteral(" -systray");
}

bool RunOnWSU::EnableRunAtStartup() const
{
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Brellix\n"
                                            "Comment=Keeps the LCD module filled\n"
                                            "Icon=brellix\n"
                                            "Exec=%1\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(StartupCommand())
                                 .toUtf8();
    if (!QDir().mkpath(QFileInfo(m_entryPath).absolutePath())) {
        qCWarning(lcApp).noquote() << "cannot create the folder of" << m_entryPath;
        return false;
    }
    QSaveFile out(m_entryPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        out.write(entry) != entry.size() || !out.commit()) {
        qCWarning(lcApp).noquote()
            << "cannot write the autostart entry" << m_entryPath << "-" << out.errorString();
        return false;
    }
    return true;
}

bool RunOnWSU::DisableRunAtStartup() const
{
    QFile entry(m_entryPath);
    if (!entry.exists())
        return true;
    if (!entry.remove()) {
        qCWarning(lcApp).noquote()
            << "cannot remove the autostart entry" << m_entryPath << "-" << entry.errorString();
        return false;
    }
    return true;
}

bool RunOnWSU::SyncRunAtStartup() const
{
    QFile file(m_entryPath);
    if (!QFileInfo(m_entryPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcApp).noquote() << "no readable autostart entry" << m_entryPath;
        return false;
    }
    // The Exec key of the [Desktop Entry] group as it stands in the file
    // (keys are case-sensitive; spaces around "=" do not count).
    bool inGroup = false;
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == "[" + Group.toUtf8() + "]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inGroup || eq < 0 || line.left(eq).trimmed() != "Exec")
            continue;
        return QString::fromUtf8(line.mid(eq + 1)).trimmed() == StartupCommand();
    }
    return false;
}
