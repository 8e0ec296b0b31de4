#pragma once

#include <QMetaType>
#include <QString>

// How much a message to the user matters. The GUI picks the message box's
// icon from it (information, exclamation, critical); brellixd logs it with
// that level; a tray can decide what deserves a notification.
enum class MessageSeverity { Information, Warning, Critical };

// What part of Brellix a message is about, so it can be grouped or muted.
enum class MessageCategory { General, Link, Settings, System, Network, Web, Player, Mail };

struct UserMessage
{
    QString text;
    MessageSeverity severity = MessageSeverity::Information;
    MessageCategory category = MessageCategory::General;
    // A passing notice: the window shows it in its status bar rather than in
    // a box the user must close; brellixd writes it like any message.
    bool notice = false;
    bool operator==(const UserMessage&) const = default;
};
Q_DECLARE_METATYPE(UserMessage)

// The one seam through which any part of Brellix tells the user something.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const UserMessage& message) = 0;
    // The one orderly stop after a fatal condition: the program ends once
    // the user has read what was shown, and saves nothing, so the next start
    // does not fall into the same condition.
    virtual void requestFatalEnd() = 0;
};
