#pragma once

#include "codec/Characters.h"
#include "lcd/LcddScreen.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class modINI;

// Where the screens go: sections [Display] (Output: the outputs' names of
// DisplayOutputs, comma-separated: serial, lcdd or serial,lcdd; Characters:
// the module's character ROM) and [LCDd] (Host, Port; Characters: ascii or
// latin1) of brellix.ini. Read at start-up; the Communication menu saves
// Output and Characters when it changes them.
struct OutputSettings
{
    static constexpr const char* Section = "Display";
    static constexpr const char* OutputKey = "Output";
    static constexpr const char* LcddSection = "LCDd";
    static constexpr const char* HostKey = "Host";
    static constexpr const char* PortKey = "Port";
    static constexpr const char* CharactersKey = "Characters";

    // In the order of DisplayOutputs::kinds().
    QStringList outputs{QStringLiteral("serial")};
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 13666;
    Characters characters = Characters::Ascii;
    LcddScreen::Charset lcddCharset = LcddScreen::Charset::Ascii;

    static OutputSettings load(const modINI& ini);
    bool saveOutput(modINI& ini) const;
    bool saveCharacters(modINI& ini) const;
    QString outputText() const { return outputs.join(QLatin1Char(',')); }
    // Output's text into the outputs' names, in the table's order; nothing
    // for a text that names no output, an unknown one or one twice. Case and
    // spaces do not count.
    static std::optional<QStringList> parseOutputs(const QString& text);

    // "HOST", "HOST:PORT", ":PORT" or "[IPv6]:PORT" into *this; false, and
    // nothing changed, for anything else.
    bool setServer(const QString& text);
};
