#include "codec/ModuleCodec.h"

#include "codec/CommandSet.h"

#include <span>

namespace {

// One letter of a ROM: what a text character becomes, and what the code
// shows. ToModule rows only map text onto the module (a stand-in), FromModule
// rows only read a code back.
struct Letter
{
    enum Way : quint8 { Both, ToModule, FromModule };
    char16_t unicode;
    quint8 code;
    Way way = Both;
};

struct Rom
{
    std::span<const Letter> letters;
    // Beyond printable ASCII, the characters sent as their own value as a
    // byte (Latin-1 on the European ROM); 0 for none.
    char16_t sameFirst = 0, sameLast = 0;
    quint8 colonDot = CommandSet::DegreeCode;
};

constexpr quint8 Degree = CommandSet::DegreeCode;

// Plain ASCII and the degree sign, with the full block the large digits are
// drawn with read back as such.
constexpr Letter AsciiLetters[] = {
    {u'\u00B0', Degree},
    {u'\u00A0', ' ', Letter::ToModule}, // no-break space, as in some locales' "p. m."
    {u'\u2588', 0xFF, Letter::FromModule},
};

// ROM A00: ASCII but for 5C (yen) and 7E, 7F (arrows), and the Greek and
// accented letters of its last two columns. ß is shown as its β, as other
// LCD programs do; '\' and '~' would come out as yen and an arrow.
constexpr Letter A00Letters[] = {
    {u'\u00A5', 0x5C}, // ¥
    {u'\u2192', 0x7E}, // →
    {u'\u2190', 0x7F}, // ←
    {u'\\', '/', Letter::ToModule},
    {u'~', '-', Letter::ToModule},
    {u'\u00A0', ' ', Letter::ToModule},
    {u'\u00B0', Degree},
    {u'\u03B1', 0xE0},                   // α
    {u'\u00E4', 0xE1},                   // ä
    {u'\u03B2', 0xE2},                   // β
    {u'\u00DF', 0xE2, Letter::ToModule}, // ß
    {u'\u03B5', 0xE3},                   // ε
    {u'\u00B5', 0xE4},                   // µ
    {u'\u03BC', 0xE4, Letter::ToModule}, // Greek μ
    {u'\u03C3', 0xE5},                   // σ
    {u'\u03C1', 0xE6},                   // ρ
    {u'\u221A', 0xE8},                   // √
    {u'\u00A2', 0xEC},                   // ¢
    {u'\u00A3', 0xED},                   // £
    {u'\u00F1', 0xEE},                   // ñ
    {u'\u00F6', 0xEF},                   // ö
    {u'\u03B8', 0xF2},                   // θ
    {u'\u221E', 0xF3},                   // ∞
    {u'\u03A9', 0xF4},                   // Ω
    {u'\u2126', 0xF4, Letter::ToModule}, // ohm sign
    {u'\u00FC', 0xF5},                   // ü
    {u'\u03A3', 0xF6},                   // Σ
    {u'\u03C0', 0xF7},                   // π
    {u'\u00F7', 0xFD},                   // ÷
    {u'\u2588', 0xFF, Letter::FromModule},
};

// ROM A02: Latin-1 from A0 on, the degree sign at B0 among them; þ's code
// is the command prefix.
constexpr Letter A02Letters[] = {
    {u'\u00FE', '?', Letter::ToModule},
};

Rom rom(Characters characters)
{
    switch (characters) {
    case Characters::A00:
        return {A00Letters};
    case Characters::A02:
        return {A02Letters, 0x00A0, 0x00FF, 0xB7};
    case Characters::Ascii:
        break;
    }
    return {AsciiLetters};
}

bool printableAscii(char16_t u)
{
    return u >= 0x20 && u <= 0x7E;
}

} // namespace

QByteArray ModuleCodec::fromUnicode(const QString& text) const
{
    const Rom r = rom(m_characters);
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (ch.isLowSurrogate())
            continue; // its high half already became '?'
        const Letter* known = nullptr;
        for (const Letter& l : r.letters) {
            if (l.unicode == u && l.way != Letter::FromModule) {
                known = &l;
                break;
            }
        }
        if (known) {
            out.append(char(known->code));
            continue;
        }
        if (printableAscii(u) || (r.sameFirst && u >= r.sameFirst && u <= r.sameLast)) {
            out.append(char(u));
            continue;
        }
        const QString decomposed = QString(ch).normalized(QString::NormalizationForm_D);
        const QChar base = decomposed.isEmpty() ? QChar() : decomposed.at(0);
        if (decomposed.size() > 1 && printableAscii(base.unicode()))
            out.append(char(base.unicode()));
        else
            out.append('?');
    }
    return out;
}

quint8 ModuleCodec::degreeCode() const
{
    return quint8(fromUnicode(QString(QChar(0x00B0))).at(0));
}

quint8 ModuleCodec::colonDot() const
{
    return rom(m_characters).colonDot;
}

QChar ModuleCodec::letter(quint8 code) const
{
    if (code < CommandSet::CustomCharacters)
        return {};
    const Rom r = rom(m_characters);
    for (const Letter& l : r.letters) {
        if (l.code == code && l.way != Letter::ToModule)
            return QChar(l.unicode);
    }
    if (printableAscii(code) || (r.sameFirst && code >= r.sameFirst && code <= r.sameLast))
        return QChar(code);
    return {};
}

QChar ModuleCodec::fixedSymbol(int code)
{
    // The glyphs the program uploads: stop, pause, volume and play symbols,
    // then the two network symbols.
    static constexpr char16_t fixed[8] = {u'\u25B8', u'\u25A0', u'\u2016', u'\u25C1',
                                          u'\u25C0', u'\u25B6', u'\u2193', u'\u2715'};
    return QChar(fixed[code & 7]);
}

QString ModuleCodec::toDisplay(const QByteArray& codes, const CustomSymbol& custom) const
{
    QString out;
    out.reserve(codes.size());
    for (const char c : codes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < CommandSet::CustomCharacters) {
            out.append(custom ? custom(b) : fixedSymbol(b));
            continue;
        }
        const QChar shown = letter(b);
        out.append(shown.isNull() ? QChar(0x00B7) : shown);
    }
    return out;
}
