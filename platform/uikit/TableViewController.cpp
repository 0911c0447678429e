#include "uikit/TableViewController.h"

#include "uikit/Application.h"

namespace ui {

TableViewController::TableViewController(TableViewStyle style) : m_style(style)
{
}

ns::Ref<TableView> TableViewController::tableView()
{
    return std::dynamic_pointer_cast<TableView>(view());
}

void TableViewController::setTableView(ns::Ref<TableView> tableView)
{
    setView(std::move(tableView));
}

void TableViewController::loadView()
{
    auto table = TableView::create(Application::sharedApplication().applicationFrame(), m_style);
    auto me = self<TableViewController>();
    table->setDataSource(me);
    table->setDelegate(me);
    setView(table);
}

void TableViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    auto table = tableView();
    if (!table)
        return;
    if (m_clearsSelection)
        if (auto selected = table->indexPathForSelectedRow())
            table->deselectRowAtIndexPath(*selected, animated);
}

void TableViewController::setEditing(bool editing, bool animated)
{
    ViewController::setEditing(editing, animated);
    if (auto table = tableView())
        table->setEditing(editing, animated);
}

} // namespace ui
