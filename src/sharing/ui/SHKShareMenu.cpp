#include "sharing/ui/SHKShareMenu.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/Unicode.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharer.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/Switch.h"
#include "uikit/TableView.h"

#include <algorithm>
#include <set>

namespace {

constexpr const char* ExcludedKey = "SHKExcluded";
constexpr int SeparatorStyleSingleLine = 1;

std::vector<std::string> storedExclusions()
{
    std::vector<std::string> names;
    if (auto stored = ns::cast<ns::Array>(ns::UserDefaults::standard()->objectForKey(ExcludedKey)))
        for (const ns::Id& entry : *stored)
            if (auto name = ns::cast<ns::String>(entry))
                names.push_back(name->str());
    return names;
}

} // namespace

SHKShareMenu::SHKShareMenu(ui::TableViewStyle style) : ui::TableViewController(style)
{
}

ns::Ref<SHKShareMenu> SHKShareMenu::create(ui::TableViewStyle style)
{
    return SHKCustomShareMenu::create(style);
}

void SHKShareMenu::setUp()
{
    setTitle(SHKLookupLocalizedText("Share"));
    auto weak = weakSelf<SHKShareMenu>();
    auto target = shared_from_this();
    navigationItem()->setLeftBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel, target, [weak](const ns::Id&) {
            if (auto menu = weak.lock())
                menu->cancel();
        }));
    navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Edit, target, [weak](const ns::Id&) {
            if (auto menu = weak.lock())
                menu->edit();
        }));
    tableView()->setSeparatorStyle(SeparatorStyleSingleLine);
}

void SHKShareMenu::setItem(ns::Ref<SHKItem> item)
{
    m_item = std::move(item);
    rebuildTableDataAnimated(false);
}

bool SHKShareMenu::isExcluded(const std::string& className) const
{
    return std::find(m_exclusions.begin(), m_exclusions.end(), className) != m_exclusions.end();
}

SHKShareMenu::Section SHKShareMenu::section(const std::string& category) const
{
    Section rows;
    auto list = SHK::sharersDictionary();
    auto names = list ? ns::cast<ns::Array>(list->objectForKey(category)) : nullptr;
    const int type = m_item ? m_item->shareType() : SHKShareTypeUndefined;
    if (names) {
        for (const ns::Id& entry : *names) {
            auto name = ns::cast<ns::String>(entry);
            if (!name)
                continue;
            auto sharerClass = SHKSharerClass::named(name->str());
            if (sharerClass && sharerClass->canShare() && sharerClass->canShareType(type))
                rows.push_back(Row{name->str(), sharerClass->sharerTitle()});
        }
    }
    if (!rows.empty() && SHKConfiguration::boolValue("shareMenuAlphabeticalOrder"))
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return ns::localizedCompare(ns::lowercase(a.name), ns::lowercase(b.name)) < 0;
        });
    return rows;
}

void SHKShareMenu::rebuildTableDataAnimated(bool animated)
{
    auto table = tableView();
    table->setAllowsSelectionDuringEditing(true);
    m_tableData = {section("actions"), section("services")};
    m_exclusions = storedExclusions();

    std::vector<ns::IndexPath> excludedPaths;
    const bool editing = table->isEditing();
    // In editing mode every row shows, the switched-off ones with their switch off.
    if (!(editing && !animated)) {
        for (std::size_t s = 0; s < m_tableData.size(); ++s) {
            Section kept;
            for (std::size_t r = 0; r < m_tableData[s].size(); ++r) {
                const Row& row = m_tableData[s][r];
                if (isExcluded(row.className))
                    excludedPaths.emplace_back(s, r);
                else if (!editing)
                    kept.push_back(row);
            }
            if (!editing)
                m_tableData[s] = std::move(kept);
        }
    }
    if (animated) {
        table->beginUpdates();
        if (editing)
            table->insertRowsAtIndexPaths(excludedPaths, ui::TableViewRowAnimation::Fade);
        else
            table->deleteRowsAtIndexPaths(excludedPaths, ui::TableViewRowAnimation::Fade);
        table->endUpdates();
    } else {
        // The table may have asked for the old rows already.
        table->reloadData();
    }
}

std::optional<SHKShareMenu::Row> SHKShareMenu::rowDataAtIndexPath(const ns::IndexPath& indexPath) const
{
    if (indexPath.section() >= m_tableData.size() ||
        indexPath.row() >= m_tableData[indexPath.section()].size())
        return std::nullopt;
    return m_tableData[indexPath.section()][indexPath.row()];
}

long SHKShareMenu::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section)
{
    return section < m_tableData.size() ? long(m_tableData[section].size()) : 0;
}

std::optional<std::string> SHKShareMenu::tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section)
{
    if (section >= m_tableData.size() || m_tableData[section].empty())
        return std::nullopt;
    if (section == 0)
        return SHKLookupLocalizedText("Actions");
    if (section == 1)
        return SHKLookupLocalizedText("Services");
    return std::nullopt;
}

ns::Ref<ui::TableViewCell> SHKShareMenu::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                        const ns::IndexPath& indexPath)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
        cell = SHKCustomShareMenuCell::create(ui::TableViewCellStyle::Default, std::string("Cell"));
        cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    }
    auto row = rowDataAtIndexPath(indexPath);
    if (!row)
        return cell;
    cell->textLabel()->setText(row->name);
    if (!cell->editingAccessoryView()) {
        // The row's tap toggles the switch, so the switch itself takes no touches.
        auto toggle = ui::Switch::create(cg::makeRect(0, 0, 0, 0));
        toggle->setUserInteractionEnabled(false);
        cell->setEditingAccessoryView(toggle);
    }
    if (auto toggle = ns::cast<ui::Switch>(cell->editingAccessoryView()))
        toggle->setOn(!isExcluded(row->className));
    return cell;
}

void SHKShareMenu::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ns::IndexPath& indexPath)
{
    auto keep = self<SHKShareMenu>();
    auto row = rowDataAtIndexPath(indexPath);
    if (!row)
        return;
    if (tableView.isEditing()) {
        auto cell = tableView.cellForRowAtIndexPath(indexPath);
        auto toggle = cell ? ns::cast<ui::Switch>(cell->editingAccessoryView()) : nullptr;
        // A row off screen has no switch to show: its state is the list's.
        bool on = toggle ? !toggle->isOn() : isExcluded(row->className);
        if (toggle)
            toggle->setOn(on, true);
        if (on)
            m_exclusions.erase(std::remove(m_exclusions.begin(), m_exclusions.end(), row->className),
                               m_exclusions.end());
        else if (!isExcluded(row->className))
            m_exclusions.push_back(row->className);
        // Nothing is stored, and nobody signed out, until the user saves.
        tableView.deselectRowAtIndexPath(indexPath, false);
        return;
    }
    if (auto sharer = SHKSharer::sharerWithId(row->className)) {
        sharer->loadItem(m_item);
        if (SHKShouldShare(m_shareDelegate, m_item, sharer))
            sharer->share();
    }
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
}

void SHKShareMenu::edit()
{
    tableView()->setEditing(true, true);
    rebuildTableDataAnimated(true);
    auto weak = weakSelf<SHKShareMenu>();
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done,
                                                                              shared_from_this(),
                                                                              [weak](const ns::Id&) {
                                                                                  if (auto menu = weak.lock())
                                                                                      menu->save();
                                                                              }),
                                            true);
}

void SHKShareMenu::save()
{
    auto keep = self<SHKShareMenu>();
    const std::vector<std::string> before = storedExclusions();
    std::vector<ns::Id> names;
    for (const auto& name : m_exclusions)
        names.push_back(ns::String::make(name));
    ns::UserDefaults::standard()->setObject(ns::Array::make(std::move(names)), ExcludedKey);
    // Switching a sharer off signs it out, once the choice is kept: a cancelled edit signs nobody out.
    for (const auto& name : m_exclusions)
        if (std::find(before.begin(), before.end(), name) == before.end())
            SHK::logoutOfService(name);
    tableView()->setEditing(false, true);
    rebuildTableDataAnimated(true);
    auto weak = weakSelf<SHKShareMenu>();
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Edit,
                                                                              shared_from_this(),
                                                                              [weak](const ns::Id&) {
                                                                                  if (auto menu = weak.lock())
                                                                                      menu->edit();
                                                                              }),
                                            true);
}

void SHKShareMenu::cancel()
{
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
}

void SHKShareMenu::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    if (auto colour = ns::cast<ui::Color>(
            SHKConfiguration::sharedInstance()->configurationValue("formBackgroundColor")))
        tableView()->setBackgroundColor(colour);
}

void SHKShareMenu::viewDidDisappear(bool animated)
{
    ui::TableViewController::viewDidDisappear(animated);
    SHK::currentHelper()->viewWasDismissed();
}
