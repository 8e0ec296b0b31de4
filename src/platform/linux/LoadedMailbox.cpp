#include "platform/linux/LoadedMailbox.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <dlfcn.h>

namespace {

const char* const ModuleName = "libbrellix-mail.so";

// Answers every request with the reason there is no mailbox, later, on the
// caller's event loop, as a real mailbox would.
class UnavailableMailbox final : public Mailbox
{
public:
    explicit UnavailableMailbox(QString reason) : m_reason(std::move(reason)) {}
    void signOn(const MailAccount&, Done done) override { fail(std::move(done)); }
    void check(Done done) override { fail(std::move(done)); }
    void cancel() override { ++m_generation; }

private:
    void fail(Done done)
    {
        const quint64 generation = m_generation;
        QTimer::singleShot(0, &m_context, [this, generation, done = std::move(done)] {
            if (generation != m_generation)
                return;
            MailboxResult result;
            result.error = m_reason;
            done(result);
        });
    }

    QString m_reason;
    QObject m_context;
    quint64 m_generation = 0;
};

// Loads the module at the first sign-on or check: a program whose user never
// sets up mail never maps libcurl and the TLS libraries.
class DeferredMailbox final : public Mailbox
{
public:
    void signOn(const MailAccount& account, Done done) override
    {
        real().signOn(account, std::move(done));
    }
    void check(Done done) override { real().check(std::move(done)); }
    void cancel() override
    {
        if (m_real)
            m_real->cancel();
    }

private:
    Mailbox& real()
    {
        if (!m_real)
            m_real = loadMailbox();
        return *m_real;
    }

    std::unique_ptr<Mailbox> m_real;
};

QStringList candidates()
{
    QStringList paths;
    const QString fromEnvironment = qEnvironmentVariable("BRELLIX_MAIL_MODULE");
    if (!fromEnvironment.isEmpty())
        paths << fromEnvironment;
    // Beside the program in the build tree, then where it is installed.
    paths << QCoreApplication::applicationDirPath() + u'/' + QLatin1String(ModuleName);
    paths << QStringLiteral(BRELLIX_MODULE_DIR "/") + QLatin1String(ModuleName);
    return paths;
}

} // namespace

std::unique_ptr<Mailbox> loadMailbox()
{
    using Create = Mailbox* (*)();
    QString why = QStringLiteral("not found");
    for (const QString& path : candidates()) {
        if (!QFile::exists(path))
            continue;
        // Kept loaded for the rest of the run: the mailbox's code lives there.
        void* module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = QString::fromLocal8Bit(::dlerror());
            continue;
        }
        auto create = reinterpret_cast<Create>(::dlsym(module, "brellix_create_mailbox"));
        if (!create) {
            why = QStringLiteral("%1 has no mailbox").arg(path);
            continue;
        }
        qCDebug(lcPlatform).noquote() << "mail support from" << path;
        return std::unique_ptr<Mailbox>(create());
    }
    qCWarning(lcPlatform).noquote() << "no mail support:" << ModuleName << why;
    return std::make_unique<UnavailableMailbox>(
        QStringLiteral("Mail support (%1) is not installed: %2")
            .arg(QLatin1String(ModuleName), why));
}

std::unique_ptr<Mailbox> deferredMailbox()
{
    return std::make_unique<DeferredMailbox>();
}
