// libbrellix-web.so: the web client's transport over libcurl, loaded by
// brellix and brellixd only when the weather or stock mode first fetches,
// so that libcurl and its TLS libraries are not mapped by a program that
// never shows them.
#include "platform/web/curl/CurlWebTransport.h"

extern "C" __attribute__((visibility("default"))) WebTransport* brellix_create_web_transport()
{
    return new CurlWebTransport();
}
