#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcLink, "brellix.link")
Q_LOGGING_CATEGORY(lcSettings, "brellix.settings")
Q_LOGGING_CATEGORY(lcApp, "brellix.app")
Q_LOGGING_CATEGORY(lcScreens, "brellix.screens")
Q_LOGGING_CATEGORY(lcPlatform, "brellix.platform")
Q_LOGGING_CATEGORY(lcPlayer, "brellix.player")
Q_LOGGING_CATEGORY(lcWeb, "brellix.web")
Q_LOGGING_CATEGORY(lcMqtt, "brellix.mqtt")
