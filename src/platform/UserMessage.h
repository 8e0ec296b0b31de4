#pragma once

#include <QMetaType>
#include <QString>

// Icon of a message to the user. The GUI shows a modal box with the
// application title; brellixd writes the text to standard error; tests record.
enum class MessageIcon { Information, Exclamation, Critical };
Q_DECLARE_METATYPE(MessageIcon)

// The one seam through which any part of Brellix tells the user something.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString& text, MessageIcon icon) = 0;
    // An orderly end of the program after a fatal condition (shutdown runs).
    virtual void requestQuit() = 0;
};
