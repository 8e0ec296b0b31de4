#include "screens/system/CInterfaces.h"

CInterface& CInterfaces::Add(std::unique_ptr<CInterface> objInterface)
{
    if (!objInterface)
        objInterface = std::make_unique<CInterface>();
    m_items.push_back(std::move(objInterface));
    return *m_items.back();
}

CInterface* CInterfaces::Item(int vntIndexKey) const
{
    if (vntIndexKey < 1 || vntIndexKey > Count())
        return nullptr;
    return m_items[size_t(vntIndexKey - 1)].get();
}

void CInterfaces::Remove(int vntIndexKey)
{
    if (vntIndexKey < 1 || vntIndexKey > Count())
        return;
    m_items.erase(m_items.begin() + (vntIndexKey - 1));
}
