#pragma once

#include "uikit/TableView.h"
#include "uikit/ViewController.h"

namespace ui {

// A controller whose view is a table it answers for: subclasses override the data source and delegate.
class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate
{
public:
    static ns::Ref<TableViewController> create(TableViewStyle style = TableViewStyle::Plain)
    {
        return ns::Factory<TableViewController>::make(style);
    }

    ns::Ref<TableView> tableView();
    void setTableView(ns::Ref<TableView> tableView);
    TableViewStyle tableViewStyle() const { return m_style; }
    bool clearsSelectionOnViewWillAppear() const { return m_clearsSelection; }
    void setClearsSelectionOnViewWillAppear(bool clears) { m_clearsSelection = clears; }

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void setEditing(bool editing, bool animated) override;

    long tableViewNumberOfRowsInSection(TableView&, std::size_t) override { return 0; }
    ns::Ref<TableViewCell> tableViewCellForRowAtIndexPath(TableView&, const ns::IndexPath&) override
    {
        return nullptr;
    }

    std::string className() const override { return "UITableViewController"; }

protected:
    explicit TableViewController(TableViewStyle style = TableViewStyle::Plain);
    friend ns::Factory<TableViewController>;

private:
    TableViewStyle m_style;
    bool m_clearsSelection = true;
};

} // namespace ui
