#include "screens/system/CInterfaces.h"

CInterface& CInterfaces::Add(std::unique_ptr<CInterface> item)
{
    m_items.push_back(std::move(item));
    return *m_items.back();
}

CInterface* CInterfaces::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return m_items[size_t(index - 1)].get();
}

void CInterfaces::Remove(int index)
{
    if (index < 1 || index > Count())
        return;
    m_items.erase(m_items.begin() + (index - 1));
}
