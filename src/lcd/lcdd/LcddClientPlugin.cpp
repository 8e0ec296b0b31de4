// libbrellix-lcdd.so: the LCDd client over TCP, loaded by brellix and
// brellixd only when LCDd first becomes an output, so that Qt Network and
// what it brings (libproxy, Kerberos, brotli: some 2 MiB resident) are not
// mapped by a program that drives the serial module alone.
#include "lcd/LcddPlugin.h"
#include "lcd/lcdd/LcddClient.h"

#include <QObject>

class LcddClientPlugin final : public QObject, public LcddPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_LCDD_PLUGIN_IID)
    Q_INTERFACES(LcddPlugin)
public:
    std::unique_ptr<LcddConnection> createConnection() override
    {
        return std::make_unique<LcddClient>();
    }
};

#include "LcddClientPlugin.moc"
