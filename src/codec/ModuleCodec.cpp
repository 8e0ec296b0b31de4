#include "codec/ModuleCodec.h"

#include "codec/CommandSet.h"

namespace ModuleCodec {

QByteArray fromUnicode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 32 && u <= 126) {
            out.append(char(u));
            continue;
        }
        if (u == 0x00A0) { // no-break space, as in some locales' "p. m."
            out.append(' ');
            continue;
        }
        if (u == 0x00B0) { // degree sign
            out.append(char(CommandSet::DegreeCode));
            continue;
        }
        if (ch.isLowSurrogate())
            continue; // its high half already became '?'
        const QString decomposed = QString(ch).normalized(QString::NormalizationForm_D);
        const QChar base = decomposed.isEmpty() ? QChar() : decomposed.at(0);
        if (decomposed.size() > 1 && base.unicode() >= 32 && base.unicode() <= 126)
            out.append(char(base.unicode()));
        else
            out.append('?');
    }
    return out;
}

QString toDisplay(const QByteArray& codes, const CustomSymbol& custom)
{
    // The glyphs the program uploads: stop, pause, volume and play symbols,
    // then the two network symbols.
    static constexpr char16_t fixed[8] = {u'\u25B8', u'\u25A0', u'\u2016', u'\u25C1',
                                          u'\u25C0', u'\u25B6', u'\u2193', u'\u2715'};
    QString out;
    out.reserve(codes.size());
    for (const char c : codes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 8)
            out.append(custom ? custom(b) : QChar(fixed[b]));
        else if (b == CommandSet::DegreeCode)
            out.append(QChar(0x00B0));
        else if (b == 255)
            out.append(QChar(0x2588));
        else if (b >= 32 && b <= 126)
            out.append(QChar(b));
        else
            out.append(QChar(0x00B7));
    }
    return out;
}

} // namespace ModuleCodec
