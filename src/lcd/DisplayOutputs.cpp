#include "lcd/DisplayOutputs.h"

#include "lcd/LcddOutput.h"
#include "lcd/SerialOutput.h"

namespace DisplayOutputs {

namespace {
const Kind Kinds[] = {
    {SerialOutput::Key,
     [](const Parts&) -> std::unique_ptr<DisplayOutput> {
         return std::make_unique<SerialOutput>();
     }},
    {LcddOutput::Key,
     [](const Parts& p) -> std::unique_ptr<DisplayOutput> {
         return std::make_unique<LcddOutput>(p.model, p.codec, p.connections.lcdd);
     }},
};
} // namespace

std::span<const Kind> kinds()
{
    return Kinds;
}

int indexOf(const QString& key)
{
    for (std::size_t i = 0; i < std::size(Kinds); ++i)
        if (key == QLatin1String(Kinds[i].key))
            return int(i);
    return -1;
}

} // namespace DisplayOutputs
