// A mail plugin as one built against an older MailPlugin would be: the same
// class, another interface id. The loader must refuse it without running
// any of it; once made, its root object leaves a trace in the environment
// and its mailbox answers that it was used.
#include "platform/MailPlugin.h"

#include <QObject>

namespace {
class OldMailbox final : public Mailbox
{
public:
    void signOn(const MailAccount&, Done done) override { check(std::move(done)); }
    void check(Done done) override
    {
        MailboxResult result;
        result.error = QStringLiteral("the plugin of another version answered");
        done(result);
    }
    void cancel() override {}
};
} // namespace

class OldMailPlugin final : public QObject, public MailPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "io.github.brellix.MailPlugin/0")
    Q_INTERFACES(MailPlugin)
public:
    OldMailPlugin() { qputenv("BRELLIX_OLD_PLUGIN_RAN", "1"); }
    std::unique_ptr<Mailbox> createMailbox() override { return std::make_unique<OldMailbox>(); }
};

#include "OldMailPlugin.moc"
