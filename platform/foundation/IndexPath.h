#pragma once

#include "foundation/Object.h"

#include <cstddef>
#include <set>

namespace ns {

// A section and a row in a table.
class IndexPath : public Object
{
public:
    IndexPath(std::size_t section, std::size_t row) : m_section(section), m_row(row) {}
    static Ref<IndexPath> forRow(std::size_t row, std::size_t section)
    {
        return make<IndexPath>(section, row);
    }

    std::size_t section() const { return m_section; }
    std::size_t row() const { return m_row; }
    // Section first, then row: -1, 0 or 1.
    int compare(const IndexPath& other) const;

    std::string className() const override { return "NSIndexPath"; }
    std::string description() const override;
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override { return m_section * 1000003u + m_row; }

private:
    std::size_t m_section;
    std::size_t m_row;
};

// An ordered set of indexes (sections to insert or delete).
class IndexSet : public Object
{
public:
    IndexSet() = default;
    explicit IndexSet(std::size_t index) { m_indexes.insert(index); }
    static Ref<IndexSet> withIndex(std::size_t index) { return make<IndexSet>(index); }
    static Ref<IndexSet> withRange(std::size_t location, std::size_t length);

    void addIndex(std::size_t index) { m_indexes.insert(index); }
    void removeIndex(std::size_t index) { m_indexes.erase(index); }
    bool containsIndex(std::size_t index) const { return m_indexes.count(index) != 0; }
    std::size_t count() const { return m_indexes.size(); }
    const std::set<std::size_t>& indexes() const { return m_indexes; }

    std::string className() const override { return "NSIndexSet"; }
    bool isEqual(const Object& other) const override;

private:
    std::set<std::size_t> m_indexes;
};

} // namespace ns
