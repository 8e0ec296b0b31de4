#include "platform/linux/LoadedLcddConnections.h"

#include "lcd/DisplayModel.h"
#include "lcd/LcddPlugin.h"

namespace {

// LCDd chosen without the client installed: it never connects, its status
// says what is missing rather than that LCDd was not found.
class UnavailableLcddConnection final : public LcddConnection
{
public:
    explicit UnavailableLcddConnection(QString status) : m_status(std::move(status)) {}

    void setServer(const QString&, quint16) override {}
    void start() override { Q_EMIT statusTextChanged(m_status); }
    void stop() override {}
    bool active() const override { return false; }
    int width() const override { return DisplayModel::Columns; }
    int height() const override { return DisplayModel::Rows; }
    QString statusText() const override { return m_status; }
    void show(const LcddScreen&) override {}

private:
    QString m_status;
};

} // namespace

std::unique_ptr<LcddConnection> LoadedLcddConnections::open()
{
    if (auto* plugin = m_plugin.instance<LcddPlugin>())
        return plugin->createConnection();
    return std::make_unique<UnavailableLcddConnection>(
        QStringLiteral("LCDd Support Not Installed (%1: %2)")
            .arg(m_plugin.fileName(), m_plugin.why()));
}
