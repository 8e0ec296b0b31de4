#pragma once

#include "platform/web/WebTransport.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-web.so: makes the transport of the web client's
// downloads. The interface id carries its version; bump it whenever this
// class or WebTransport changes.
class WebPlugin
{
public:
    virtual ~WebPlugin() = default;
    virtual std::unique_ptr<WebTransport> createWebTransport() = 0;
};

#define BRELLIX_WEB_PLUGIN_IID "io.github.brellix.WebPlugin/1"
Q_DECLARE_INTERFACE(WebPlugin, BRELLIX_WEB_PLUGIN_IID)
