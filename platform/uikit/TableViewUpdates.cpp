#include "uikit/TableView.h"

#include "foundation/Exception.h"
#include "foundation/Format.h"

#include <algorithm>
#include <set>

namespace ui {
namespace {

void fail(const std::string& reason)
{
    ns::raise(ns::InternalInconsistencyException, reason);
}

} // namespace

// What an update does: surviving sections, old index to new, and by section the rows deleted (numbered
// before the update), inserted (numbered after) and reloaded.
struct TableView::UpdatePlan
{
    std::map<std::size_t, std::size_t> sectionMap;
    std::map<std::size_t, std::set<std::size_t>> deleted, inserted, reloaded;

    // Where a cell at `key` before the update stands after it; nothing when it is deleted or reloaded.
    std::optional<Key> remap(Key key, const Update& update);
};

// MARK: Recording

void TableView::beginUpdates()
{
    ++m_updateDepth;
}

void TableView::endUpdates()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth > 0)
        return;
    Update update = std::move(m_update);
    m_update = Update{};
    applyUpdate(update);
}

void TableView::recordUpdate(const std::function<void(Update&)>& change)
{
    if (m_updateDepth) {
        change(m_update);
        return;
    }
    Update single;
    change(single);
    applyUpdate(single);
}

void TableView::insertRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        update.insertedRows.insert(update.insertedRows.end(), indexPaths.begin(), indexPaths.end());
    });
}

void TableView::deleteRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        update.deletedRows.insert(update.deletedRows.end(), indexPaths.begin(), indexPaths.end());
    });
}

void TableView::reloadRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        update.reloadedRows.insert(update.reloadedRows.end(), indexPaths.begin(), indexPaths.end());
    });
}

void TableView::insertSections(const ns::IndexSet& sections, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        for (auto s : sections.indexes())
            update.insertedSections.addIndex(s);
    });
}

void TableView::deleteSections(const ns::IndexSet& sections, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        for (auto s : sections.indexes())
            update.deletedSections.addIndex(s);
    });
}

void TableView::reloadSections(const ns::IndexSet& sections, TableViewRowAnimation)
{
    recordUpdate([&](Update& update) {
        for (auto s : sections.indexes())
            update.reloadedSections.addIndex(s);
    });
}

// MARK: Checking: an update that does not match the counts before and after is a programming error

void TableView::planSections(const Update& update, std::size_t newCount, UpdatePlan& plan) const
{
    const std::size_t oldCount = m_sections.size();
    const auto& deletedSections = update.deletedSections.indexes();
    const auto& insertedSections = update.insertedSections.indexes();
    for (auto s : deletedSections)
        if (s >= oldCount)
            fail(
                ns::format("attempt to delete section %zu, but there are only %zu sections before the update",
                           s, oldCount));
    for (auto s : update.reloadedSections.indexes())
        if (s >= oldCount)
            fail(
                ns::format("attempt to reload section %zu, but there are only %zu sections before the update",
                           s, oldCount));
    for (auto s : insertedSections)
        if (s >= newCount)
            fail(ns::format("attempt to insert section %zu but there are only %zu sections after the update",
                            s, newCount));
    if (newCount + deletedSections.size() != oldCount + insertedSections.size())
        fail(ns::format(
            "Invalid update: invalid number of sections.  The number of sections contained in the table "
            "view after the update (%zu) must be equal to the number of sections contained in the table "
            "view before the update (%zu), plus or minus the number of sections inserted or deleted (%zu "
            "inserted, %zu deleted).",
            newCount, oldCount, insertedSections.size(), deletedSections.size()));

    // Surviving sections, old index to new index, in order.
    std::vector<std::size_t> oldSurvivors, newSurvivors;
    for (std::size_t s = 0; s < oldCount; ++s)
        if (!deletedSections.count(s))
            oldSurvivors.push_back(s);
    for (std::size_t s = 0; s < newCount; ++s)
        if (!insertedSections.count(s))
            newSurvivors.push_back(s);
    for (std::size_t i = 0; i < oldSurvivors.size(); ++i)
        plan.sectionMap[oldSurvivors[i]] = newSurvivors[i];
}

void TableView::planRows(const Update& update, const std::vector<Section>& next, UpdatePlan& plan) const
{
    const std::size_t oldCount = m_sections.size(), newCount = next.size();
    const auto& deletedSections = update.deletedSections.indexes();
    const auto& insertedSections = update.insertedSections.indexes();
    for (const auto& path : update.deletedRows) {
        if (path.section() >= oldCount || path.row() >= std::size_t(m_sections[path.section()].rows))
            fail(ns::format(
                "attempt to delete row %zu from section %zu which only contains %ld rows before the update",
                path.row(), path.section(),
                path.section() < oldCount ? m_sections[path.section()].rows : 0L));
        if (!deletedSections.count(path.section()))
            plan.deleted[path.section()].insert(path.row());
    }
    for (const auto& path : update.reloadedRows) {
        if (path.section() >= oldCount || path.row() >= std::size_t(m_sections[path.section()].rows))
            fail(ns::format(
                "attempt to reload row %zu from section %zu which only contains %ld rows before the update",
                path.row(), path.section(),
                path.section() < oldCount ? m_sections[path.section()].rows : 0L));
        plan.reloaded[path.section()].insert(path.row());
    }
    for (const auto& path : update.insertedRows) {
        if (path.section() >= newCount || path.row() >= std::size_t(next[path.section()].rows))
            fail(ns::format(
                "attempt to insert row %zu into section %zu, but there are only %ld rows in section %zu "
                "after the update",
                path.row(), path.section(), path.section() < newCount ? next[path.section()].rows : 0L,
                path.section()));
        if (!insertedSections.count(path.section()))
            plan.inserted[path.section()].insert(path.row());
    }
    for (auto [o, n] : plan.sectionMap) {
        std::size_t before = std::size_t(m_sections[o].rows), after = std::size_t(next[n].rows);
        std::size_t ins = plan.inserted[n].size(), del = plan.deleted[o].size();
        if (after + del != before + ins)
            fail(ns::format(
                "Invalid update: invalid number of rows in section %zu.  The number of rows contained in "
                "an existing section after the update (%zu) must be equal to the number of rows contained "
                "in that section before the update (%zu), plus or minus the number of rows inserted or "
                "deleted from that section (%zu inserted, %zu deleted).",
                n, after, before, ins, del));
    }
}

// MARK: Applying: cells and the selection carried to their new places

std::optional<TableView::Key> TableView::UpdatePlan::remap(Key key, const Update& update)
{
    auto section = sectionMap.find(key.first);
    if (section == sectionMap.end() || update.reloadedSections.containsIndex(key.first))
        return std::nullopt;
    const auto& gone = deleted[key.first];
    if (gone.count(key.second) || reloaded[key.first].count(key.second))
        return std::nullopt;
    std::size_t rank = key.second - std::size_t(std::count_if(gone.begin(), gone.end(),
                                                              [&](std::size_t r) { return r < key.second; }));
    const auto& added = inserted[section->second];
    std::size_t row = 0;
    for (std::size_t seen = 0;; ++row) {
        if (added.count(row))
            continue;
        if (seen == rank)
            break;
        ++seen;
    }
    return Key{section->second, row};
}

void TableView::applyUpdate(const Update& update)
{
    // A table that never loaded has nothing to reconcile: it simply loads.
    if (m_needsReload) {
        reloadData();
        return;
    }
    std::vector<Section> next = readSections();
    UpdatePlan plan;
    planSections(update, next.size(), plan);
    planRows(update, next, plan);

    std::map<Key, ns::Ref<TableViewCell>> moved;
    for (auto& [key, cell] : m_visible) {
        if (auto to = plan.remap(key, update))
            moved[*to] = cell;
        else
            recycle(cell);
    }
    if (m_selected) {
        auto to = plan.remap(Key{m_selected->section(), m_selected->row()}, update);
        m_selected = to ? std::optional<ns::IndexPath>(ns::IndexPath(to->first, to->second)) : std::nullopt;
    }
    for (auto& section : m_sections) {
        if (section.headerView && section.headerView->superview() == this)
            section.headerView->removeFromSuperview();
        if (section.footerView && section.footerView->superview() == this)
            section.footerView->removeFromSuperview();
    }
    m_visible = std::move(moved);
    m_sections = std::move(next);
    placeSections(m_sections);
    for (auto& [key, cell] : m_visible)
        configureCell(*cell, ns::IndexPath(key.first, key.second));
    updateVisibleCells();
    setNeedsLayout();
}

} // namespace ui
