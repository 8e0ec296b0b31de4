#pragma once

#include "codec/ModuleCodec.h"
#include "screens/own/OwnScreenSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <span>

// One line of an own screen: text with values in braces, parsed once.
//   "Load {cpu}%"  "{time:HH:mm}"  "{bar:cpu:10}"  "{{literal}}"
// A name the catalogue does not know (or a value without the argument it
// needs, or with one it does not take) stays in the text as "{?...}".
class ScreenTemplate
{
public:
    // Whether a value takes an argument after a colon.
    enum class Argument { None, Optional, Required };

    // A value the templates know: a row of the catalogue.
    struct ValueInfo
    {
        const char* name;        // as written in braces, lower case
        Argument argument;       // FORMAT, PATH, COMMAND...
        bool numeric;            // usable as a bar's value
        const char* example;     // what a menu inserts
        const char* description; // one short line for that menu
    };
    // The catalogue, in menu order; {bar:...} is its last row.
    static std::span<const ValueInfo> values();
    // The row of a name (any letter case); null for none.
    static const ValueInfo* valueNamed(const QString& name);

    struct Part
    {
        enum class Kind { Text, Value, Bar };
        Kind kind = Kind::Text;
        QString text;     // Text: shown as it is (after the codec)
        QString name;     // Value, Bar: the value's catalogue name; empty for a fixed bar
        QString arg;      // its argument: FORMAT, PATH, COMMAND; empty for none
        double fixed = 0; // Bar: the number when name is empty
        int width = 0;    // Bar: cells; 0 for "to the end of the line"

        bool operator==(const Part&) const = default;
    };

    static constexpr int MaxBarWidth = 20;

    ScreenTemplate() = default;
    static ScreenTemplate parse(const QString& text);

    const QList<Part>& parts() const { return m_parts; }
    // The unknown names met, as they show between "{?" and "}", in order.
    const QStringList& unknown() const { return m_unknown; }
    bool hasBar() const;

    // A value's current text (nothing while it is not available yet, shown
    // as empty). name is the catalogue's; arg as written.
    using Lookup = std::function<std::optional<QString>(const QString& name, const QString& arg)>;

    // The whole line as module codes, before alignment and cutting: every
    // text through the codec with control characters as spaces, bars as
    // custom characters 1 to 5. A bar without a width gets what the rest
    // of the line leaves of 20 cells (shared by several such bars).
    // In the codes of codec's character ROM.
    QByteArray render(const Lookup& lookup, const ModuleCodec& codec = AsciiCodec) const;

    // The four lines of a screen as ScreenLines holds them: each rendered,
    // then aligned within 20 cells, or for a scrolling line longer than 20
    // the 20-cell window scrollOffsets[i] steps into it (wrapping round),
    // else cut at 20.
    static std::array<QByteArray, OwnScreenSettings::LineCount>
    composeScreen(const std::array<ScreenTemplate, OwnScreenSettings::LineCount>& templates,
                  const OwnScreenSettings& settings, const Lookup& lookup,
                  const std::array<int, OwnScreenSettings::LineCount>& scrollOffsets = {},
                  const ModuleCodec& codec = AsciiCodec);
    // One rendered line in 20 cells: aligned, the scroller's window at
    // offset, or cut (the step of composeScreen after render).
    static QByteArray fitLine(const QByteArray& full, OwnScreenSettings::Align align, bool scroll,
                              int offset);
    // The same from the settings' texts, parsed on the spot (a preview).
    static std::array<QByteArray, OwnScreenSettings::LineCount>
    composeScreen(const OwnScreenSettings& settings, const Lookup& lookup,
                  const std::array<int, OwnScreenSettings::LineCount>& scrollOffsets = {},
                  const ModuleCodec& codec = AsciiCodec);

    // Lit pixel columns of a bar of value over width cells: round(v * 5w / 100),
    // v clamped to 0..100.
    static int barColumns(double value, int width);
    // The bar's cells: full cells as 5, one partial cell (1-4), then spaces.
    static QByteArray barCells(double value, int width);
    // A number at the start of a value's text ("73%", " 42.5 C"); nothing
    // when there is none.
    static std::optional<double> leadingNumber(const QString& text);
    // The scroller's cycle: the line, then a separator, then the line again.
    static constexpr char ScrollSeparator = '*';

private:
    QList<Part> m_parts;
    QStringList m_unknown;
};
