#pragma once

#include "uikit/TableViewController.h"

#include <cstdint>
#include <string>
#include <vector>

class SelectionListViewController;

class SelectionListViewControllerDelegate
{
public:
    virtual ~SelectionListViewControllerDelegate() = default;
    virtual void selectionListViewController(SelectionListViewController& list, int32_t selectedIndex,
                                             const ns::Id& reference) = 0;
};

// A single-choice list: the chosen row carries a checkmark; choosing another tells the delegate.
class SelectionListViewController : public ui::TableViewController
{
public:
    static ns::Ref<SelectionListViewController> create(ui::TableViewStyle style = ui::TableViewStyle::Grouped)
    {
        return ns::Factory<SelectionListViewController>::make(style);
    }

    const std::vector<std::string>& items() const { return m_items; }
    void setItems(std::vector<std::string> items) { m_items = std::move(items); }
    const std::string& subtitle() const { return m_subtitle; }
    void setSubtitle(std::string subtitle) { m_subtitle = std::move(subtitle); }
    int32_t selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(int32_t index) { m_selectedIndex = index; }
    const ns::Ref<SelectionListViewControllerDelegate>& delegate() const { return m_delegate; }
    void setDelegate(ns::Ref<SelectionListViewControllerDelegate> delegate)
    {
        m_delegate = std::move(delegate);
    }
    const ns::Id& reference() const { return m_reference; }
    void setReference(ns::Id reference) { m_reference = std::move(reference); }

    long numberOfSectionsInTableView(ui::TableView&) override { return 1; }
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;

    static ns::Ref<ui::Color> checkedTextColor();

    std::string className() const override { return "SelectionListViewController"; }

protected:
    explicit SelectionListViewController(ui::TableViewStyle style = ui::TableViewStyle::Grouped);
    friend ns::Factory<SelectionListViewController>;

private:
    std::vector<std::string> m_items;
    std::string m_subtitle;
    int32_t m_selectedIndex = 0;
    ns::Ref<SelectionListViewControllerDelegate> m_delegate;
    ns::Id m_reference;
};
