#pragma once

#include "sharing/core/SHKItem.h"
#include "sharing/ui/SHKShareItemDelegate.h"
#include "uikit/TableViewCell.h"
#include "uikit/TableViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// One row of the share menu: a sharer's class name and its shown title.
struct SHKShareMenuRow
{
    std::string className;
    std::string name;
    bool operator==(const SHKShareMenuRow&) const = default;
};

// The full list of sharers, opened from the action sheet's "More...": a grouped table with the sections
// "Actions" and "Services" of the sharer list, each listing the sharers that can share the item's type on
// this device. A row's tap shares. In editing mode each row has a switch: a sharer switched off leaves the
// menu and the favourites once the user saves ("SHKExcluded"), and is signed out then.
class SHKShareMenu : public ui::TableViewController
{
public:
    using Row = SHKShareMenuRow;
    using Section = std::vector<Row>;

    // The menus made are always SHKCustomShareMenu.
    static ns::Ref<SHKShareMenu> create(ui::TableViewStyle style);

    const ns::Ref<SHKItem>& item() const { return m_item; }
    // Rebuilds the table for the new item.
    void setItem(ns::Ref<SHKItem> item);
    const std::vector<Section>& tableData() const { return m_tableData; }
    const std::vector<std::string>& exclusions() const { return m_exclusions; }
    const std::shared_ptr<SHKShareItemDelegate>& shareDelegate() const { return m_shareDelegate; }
    void setShareDelegate(std::shared_ptr<SHKShareItemDelegate> delegate)
    {
        m_shareDelegate = std::move(delegate);
    }

    void rebuildTableDataAnimated(bool animated);
    // The rows of one category of the sharer list that can share the item's type here.
    Section section(const std::string& category) const;
    // The row at the path, or nothing outside the table.
    std::optional<Row> rowDataAtIndexPath(const ns::IndexPath& indexPath) const;

    // The bar's buttons: Edit, Done (which saves) and Cancel.
    void edit();
    void save();
    void cancel();

    long numberOfSectionsInTableView(ui::TableView&) override { return long(m_tableData.size()); }
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                              const ns::IndexPath& indexPath) override;
    std::optional<ui::TableViewCellEditingStyle>
    tableViewEditingStyleForRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override
    {
        return ui::TableViewCellEditingStyle::None;
    }
    bool tableViewShouldIndentWhileEditingRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override
    {
        return false;
    }
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ns::IndexPath& indexPath) override;

    void viewDidLoad() override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }
    std::string className() const override { return "SHKShareMenu"; }

protected:
    explicit SHKShareMenu(ui::TableViewStyle style);
    friend ns::Factory<SHKShareMenu>;
    // The title, the bar's buttons and the separators; run by the factory.
    void setUp();

private:
    bool isExcluded(const std::string& className) const;

    ns::Ref<SHKItem> m_item;
    std::vector<Section> m_tableData;
    std::vector<std::string> m_exclusions;
    std::shared_ptr<SHKShareItemDelegate> m_shareDelegate;
};

// The menu that the framework makes, for an application to restyle.
class SHKCustomShareMenu : public SHKShareMenu
{
public:
    static ns::Ref<SHKCustomShareMenu> create(ui::TableViewStyle style)
    {
        auto menu = ns::Factory<SHKCustomShareMenu>::make(style);
        menu->setUp();
        return menu;
    }
    std::string className() const override { return "SHKCustomShareMenu"; }

protected:
    explicit SHKCustomShareMenu(ui::TableViewStyle style) : SHKShareMenu(style) {}
    friend ns::Factory<SHKCustomShareMenu>;
};

// The cell of every row of the menu, for an application to restyle.
class SHKCustomShareMenuCell : public ui::TableViewCell
{
public:
    static ns::Ref<SHKCustomShareMenuCell> create(ui::TableViewCellStyle style,
                                                  std::optional<std::string> reuseIdentifier)
    {
        return ns::Factory<SHKCustomShareMenuCell>::make(style, std::move(reuseIdentifier));
    }
    std::string className() const override { return "SHKCustomShareMenuCell"; }

protected:
    SHKCustomShareMenuCell(ui::TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
        : ui::TableViewCell(style, std::move(reuseIdentifier))
    {
    }
    friend ns::Factory<SHKCustomShareMenuCell>;
};
