#include "platform/linux/LoadedMailbox.h"

#include "platform/MailPlugin.h"
#include "platform/linux/PluginLoader.h"

#include <QTimer>

namespace {

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
        if (m_real)
            return *m_real;
        if (auto* plugin = m_plugin.instance<MailPlugin>())
            m_real = plugin->createMailbox();
        else
            m_real = std::make_unique<UnavailableMailbox>(
                QStringLiteral("Mail support (%1) is not installed: %2")
                    .arg(m_plugin.fileName(), m_plugin.why()));
        return *m_real;
    }

    PluginLoader m_plugin{QStringLiteral("mail")};
    std::unique_ptr<Mailbox> m_real;
};

} // namespace

std::unique_ptr<Mailbox> deferredMailbox()
{
    return std::make_unique<DeferredMailbox>();
}
