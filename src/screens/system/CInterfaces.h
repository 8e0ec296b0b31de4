#pragma once

#include "screens/system/CInterface.h"

#include <memory>
#include <vector>

// The interface rows of one read, numbered from 1 in the order of adding.
class CInterfaces
{
public:
    using Items = std::vector<std::unique_ptr<CInterface>>;

    CInterface& Add(std::unique_ptr<CInterface> item);
    // The item at position index (1 = first added), or null outside 1..Count.
    CInterface* Item(int index) const;
    int Count() const { return int(m_items.size()); }
    // Positions after the removed one move down by one; outside 1..Count nothing happens.
    void Remove(int index);

    // Iteration in order of adding (for (const auto& item : interfaces)).
    Items::const_iterator begin() const { return m_items.begin(); }
    Items::const_iterator end() const { return m_items.end(); }

private:
    Items m_items;
};
