#include "foundation/IndexPath.h"

#include "foundation/Format.h"

namespace ns {

int IndexPath::compare(const IndexPath& other) const
{
    if (m_section != other.m_section)
        return m_section < other.m_section ? -1 : 1;
    if (m_row != other.m_row)
        return m_row < other.m_row ? -1 : 1;
    return 0;
}

std::string IndexPath::description() const
{
    return format("<NSIndexPath %p> 2 indexes [%lu, %lu]", static_cast<const void*>(this), m_section, m_row);
}

bool IndexPath::isEqual(const Object& other) const
{
    auto* path = dynamic_cast<const IndexPath*>(&other);
    return path && path->m_section == m_section && path->m_row == m_row;
}

Ref<IndexSet> IndexSet::withRange(std::size_t location, std::size_t length)
{
    auto set = make<IndexSet>();
    for (std::size_t i = 0; i < length; ++i)
        set->addIndex(location + i);
    return set;
}

bool IndexSet::isEqual(const Object& other) const
{
    auto* set = dynamic_cast<const IndexSet*>(&other);
    return set && set->m_indexes == m_indexes;
}

} // namespace ns
