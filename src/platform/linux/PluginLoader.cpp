#include "platform/linux/PluginLoader.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QPluginLoader>

namespace {
QStringList folders()
{
    QStringList found;
    const QString fromEnvironment = qEnvironmentVariable("BRELLIX_MODULE_DIR");
    if (!fromEnvironment.isEmpty())
        found << fromEnvironment;
    const QString programDir = QCoreApplication::applicationDirPath();
    found << QDir::cleanPath(programDir + QStringLiteral("/" BRELLIX_MODULE_RELDIR)) << programDir;
    return found;
}
} // namespace

PluginLoader::PluginLoader(QString name) : m_name(std::move(name)) {}

QString PluginLoader::fileName() const
{
    return QStringLiteral("libbrellix-%1.so").arg(m_name);
}

QObject* PluginLoader::instance(const char* iid)
{
    if (std::exchange(m_tried, true))
        return m_root;
    const QString wanted = QString::fromLatin1(iid);
    QStringList refused;
    for (const QString& folder : folders()) {
        const QString path = folder + u'/' + fileName();
        if (!QFile::exists(path))
            continue;
        QPluginLoader loader(path);
        loader.setLoadHints(QLibrary::PreventUnloadHint | QLibrary::ResolveAllSymbolsHint);
        // Read from the file without loading it: nothing of a plugin built
        // for another interface may run, not even its static constructors.
        const QString carried = loader.metaData().value(QStringLiteral("IID")).toString();
        QString problem;
        if (carried.isEmpty())
            problem =
                QStringLiteral("%1 is not a Brellix plugin (%2)").arg(path, loader.errorString());
        else if (carried != wanted)
            problem = QStringLiteral("%1 carries interface %2, this Brellix wants %3")
                          .arg(path, carried, wanted);
        else if (QObject* root = loader.instance(); !root)
            problem = QStringLiteral("%1: %2").arg(path, loader.errorString());
        else if (!root->qt_metacast(iid))
            problem = QStringLiteral("%1 does not implement %2").arg(path, wanted);
        else {
            qCDebug(lcPlatform).noquote() << "loaded" << path;
            m_root = root;
            return m_root;
        }
        qCWarning(lcPlatform).noquote() << "refused plugin:" << problem;
        refused << problem;
    }
    if (refused.isEmpty()) {
        m_why = QStringLiteral("not found");
        qCWarning(lcPlatform).noquote()
            << QStringLiteral("cannot load %1: %2").arg(fileName(), m_why);
    } else {
        m_why = refused.join(QStringLiteral("; "));
    }
    return nullptr;
}
