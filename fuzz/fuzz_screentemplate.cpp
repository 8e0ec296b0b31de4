// A line template of an own screen, its values the same outside text: the line holds
// only module codes, bars as 1 to 5, never another control code or the command prefix.
#include "FuzzSupport.h"

#include "screens/own/ScreenTemplate.h"

FUZZ_TARGET
{
    const QString text = QString::fromUtf8(bytes);
    const ScreenTemplate parsed = ScreenTemplate::parse(text);
    const auto lookup = [&text](const QString&, const QString&) { return std::optional(text); };
    for (const Characters characters : CharacterSets::All) {
        const QByteArray line = parsed.render(lookup, ModuleCodec(characters));
        FUZZ_CHECK(std::none_of(line.begin(), line.end(), [](char c) {
            return quint8(c) == 0 || (quint8(c) > 5 && quint8(c) < 32) || quint8(c) == 254;
        }));
        const QByteArray fitted = ScreenTemplate::fitLine(line, OwnScreenSettings::Align::Center,
                                                          true, int(bytes.size()));
        FUZZ_CHECK(fitted.size() <= 20);
    }
}
