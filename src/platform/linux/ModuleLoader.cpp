#include "platform/linux/ModuleLoader.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

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

QString moduleFileName(const QString& name)
{
    return QStringLiteral("libbrellix-%1.so").arg(name);
}

void* moduleFactory(const QString& name, const char* symbol, const QString& what, QString* why)
{
    const QString file = moduleFileName(name);
    QString reason = QStringLiteral("not found");
    for (const QString& folder : folders()) {
        const QString path = folder + u'/' + file;
        if (!QFile::exists(path))
            continue;
        void* module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            reason = QString::fromLocal8Bit(::dlerror());
            continue;
        }
        if (void* factory = ::dlsym(module, symbol)) {
            qCDebug(lcPlatform).noquote() << "loaded" << path;
            return factory;
        }
        reason = QStringLiteral("%1 has no %2").arg(path, what);
    }
    qCWarning(lcPlatform).noquote() << "cannot load" << file << reason;
    if (why)
        *why = reason;
    return nullptr;
}
