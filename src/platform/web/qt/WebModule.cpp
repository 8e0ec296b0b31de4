// libbrellix-web.so: the web client's transport over Qt Network, loaded by
// brellix and brellixd only when the weather or stock mode first fetches,
// so that Qt Network and its TLS back end are not mapped by a program that
// never shows them.
#include "platform/web/qt/QtWebTransport.h"

extern "C" __attribute__((visibility("default"))) WebTransport* brellix_create_web_transport()
{
    return new QtWebTransport();
}
