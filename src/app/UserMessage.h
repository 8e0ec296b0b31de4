#pragma once

#include <QMetaType>

// Icon of a message to the user. The GUI shows a modal box with the
// application title; brellixd writes the text to standard error.
enum class MessageIcon { Information, Exclamation, Critical };
Q_DECLARE_METATYPE(MessageIcon)
