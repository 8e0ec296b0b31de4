#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>

struct OwnValueSources;

// The values of one kind (the processor's, a file's, a command's...) while
// an own screen that uses them is shown: made when the screen is entered
// (its sources start then), dropped when it is left (they stop).
class ValueProvider
{
public:
    // A value as a template names it: catalogue name and argument.
    using Use = std::pair<QString, QString>;

    struct Context
    {
        const OwnValueSources& sources;
        QList<Use> uses;               // the values of this kind the screen shows
        int updateSeconds;             // the screen's Update
        QString screen;                // its name, for the log
        std::function<void()> changed; // a value came in between refreshes
    };

    virtual ~ValueProvider() = default;
    // The screen's refresh, every Update seconds (the first at the first
    // refresh after the switch): read what is read on demand.
    virtual void refresh() {}
    // The current text; nothing while it is not available.
    virtual std::optional<QString> value(const QString& name, const QString& arg) const = 0;

    // A kind of value: the catalogue names it serves ("cpu mem") and how
    // to make it. One row per kind; a new kind is one more row.
    struct Kind
    {
        const char* names; // space-separated
        std::unique_ptr<ValueProvider> (*make)(const Context& context);
    };
    static std::span<const Kind> kinds();
    // The row serving a catalogue name; null for none.
    static const Kind* kindOf(const QString& name);
};
