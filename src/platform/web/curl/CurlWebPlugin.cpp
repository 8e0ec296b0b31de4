// libbrellix-web.so: the web client's transport over libcurl, loaded by
// brellix and brellixd only when the weather or stock mode first fetches,
// so that libcurl and its TLS libraries are not mapped by a program that
// never shows them.
#include "platform/web/WebPlugin.h"
#include "platform/web/curl/CurlWebTransport.h"

#include <QObject>

class CurlWebPlugin final : public QObject, public WebPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_WEB_PLUGIN_IID)
    Q_INTERFACES(WebPlugin)
public:
    std::unique_ptr<WebTransport> createWebTransport() override
    {
        return std::make_unique<CurlWebTransport>();
    }
};

#include "CurlWebPlugin.moc"
