#include "board/SelectionListViewController.h"

#include "uikit/Color.h"
#include "uikit/Label.h"
#include "uikit/TableView.h"

SelectionListViewController::SelectionListViewController(ui::TableViewStyle style)
    : ui::TableViewController(style)
{
}

ns::Ref<ui::Color> SelectionListViewController::checkedTextColor()
{
    return ui::Color::colorWithRed(0.243f, 0.306f, 0.435f, 1.0f);
}

long SelectionListViewController::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t)
{
    return static_cast<long>(m_items.size());
}

ns::Ref<ui::TableViewCell>
SelectionListViewController::tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                            const ns::IndexPath& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell)
        cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, std::string("Cell"));
    if (indexPath.row() < m_items.size())
        cell->textLabel()->setText(m_items[indexPath.row()]);
    bool checked = static_cast<long>(indexPath.row()) == m_selectedIndex;
    cell->setAccessoryType(checked ? ui::TableViewCellAccessoryType::Checkmark
                                   : ui::TableViewCellAccessoryType::None);
    cell->textLabel()->setTextColor(checked ? checkedTextColor() : ui::Color::blackColor());
    return cell;
}

std::optional<std::string> SelectionListViewController::tableViewTitleForHeaderInSection(ui::TableView&,
                                                                                         std::size_t)
{
    return m_subtitle;
}

void SelectionListViewController::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                                   const ns::IndexPath& indexPath)
{
    auto row = static_cast<int32_t>(indexPath.row());
    if (row != m_selectedIndex && indexPath.row() < m_items.size()) {
        if (m_selectedIndex >= 0) {
            if (auto old = table.cellForRowAtIndexPath(
                    ns::IndexPath(0, static_cast<std::size_t>(m_selectedIndex)))) {
                old->setAccessoryType(ui::TableViewCellAccessoryType::None);
                old->textLabel()->setTextColor(ui::Color::blackColor());
            }
        }
        if (auto cell = table.cellForRowAtIndexPath(indexPath)) {
            cell->setAccessoryType(ui::TableViewCellAccessoryType::Checkmark);
            cell->textLabel()->setTextColor(checkedTextColor());
        }
        m_selectedIndex = row;
        // The delegate may pop this list: keep it until the row is deselected.
        auto keep = self<SelectionListViewController>();
        if (m_delegate)
            m_delegate->selectionListViewController(*this, row, m_reference);
    }
    table.deselectRowAtIndexPath(indexPath, true);
}
