#include "board/EditTouchImageViewController.h"

#include "board/ChoiceCell.h"
#include "board/DesignPart.h"
#include "board/KPhoneNumber.h"
#include "board/PeopleListViewController.h"
#include "board/TouchImageView.h"
#include "board/VelmoAppDelegate.h"
#include "board/VelmoViewController.h"
#include "foundation/Bundle.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TabBarController.h"
#include "uikit/TabBarItem.h"
#include "uikit/TableView.h"

#include <algorithm>

namespace {

std::string localized(std::string_view key)
{
    return ns::Bundle::main()->localizedString(key, "");
}

std::string withoutSpaces(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

} // namespace

EditTouchImageViewController::EditTouchImageViewController()
    : ui::TableViewController(ui::TableViewStyle::Grouped)
{
    setTitle(localized("Settings"));
    setTabBarItem(ui::TabBarItem::create(localized("Settings"), ui::Image::imageNamed("edit.png"), 0));
    auto label = ui::Label::create();
    label->setText(std::string());
    navigationItem()->setTitleView(label);
}

std::string EditTouchImageViewController::tileType() const
{
    return m_touchImage ? m_touchImage->type().value_or("") : std::string();
}

void EditTouchImageViewController::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    m_typeValue = {localized("None"), localized("Webrequest"), localized("Phone Call")};
    m_typeIndex = {"none", "http", "tel"};
    m_typeCell = ChoiceCell::create(localized("Type"), m_typeValue, 0);
    m_urlCell = KTextFieldCell::create();
    m_urlCell->textLabel()->setText(localized("URL"));
    m_urlCell->setTextFieldCellDelegate(self<EditTouchImageViewController>());
    m_telSel = ui::TableViewCell::create(ui::TableViewCellStyle::Default, std::nullopt);
    m_telSel->textLabel()->setText(localized("Select"));
    m_telSel->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    updateEnabledControls();
    DesignPart::makeHeaderForSettingsViewNavigator(*this);
}

void EditTouchImageViewController::viewWillDisappear(bool animated)
{
    storeTypedAddress();
    ui::TableViewController::viewWillDisappear(animated);
}

void EditTouchImageViewController::updateEnabledControls()
{
    if (!m_typeCell)
        return;
    std::string type = tileType();
    for (std::size_t i = 0; i < m_typeIndex.size(); ++i)
        if (m_typeIndex[i] == type)
            m_typeCell->setSelectedIndex(static_cast<int32_t>(i));
    if (type == "http" && m_touchImage)
        m_urlCell->textField()->setText(m_touchImage->parameters().value_or(""));
}

void EditTouchImageViewController::storeTypedAddress()
{
    // Only a web request's address lives in the field; other types keep their parameters.
    if (m_urlCell && m_touchImage && tileType() == "http")
        m_touchImage->setParameters(m_urlCell->textField()->text());
}

std::string EditTouchImageViewController::NextImageAvailable() const
{
    auto app = VelmoAppDelegate::delegate();
    if (app && app->viewController())
        return app->viewController()->NextImageAvailable();
    std::string folder = ns::Sandbox::documentsPath() + "/";
    for (int n = 1;; ++n) {
        std::string name = ns::format("image%03d.png", n);
        if (!ns::FileManager::fileExistsAtPath(folder + name))
            return name;
    }
}

long EditTouchImageViewController::numberOfSectionsInTableView(ui::TableView&)
{
    return tileType() == "none" ? 1 : 2;
}

long EditTouchImageViewController::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section)
{
    if (section == 0)
        return 1;
    if (section == 1) {
        std::string type = tileType();
        return type == "http" || type == "tel" ? 1 : 0;
    }
    return 0;
}

ns::Ref<ui::TableViewCell>
EditTouchImageViewController::tableViewCellForRowAtIndexPath(ui::TableView&, const ns::IndexPath& indexPath)
{
    if (indexPath.row() != 0)
        return nullptr;
    if (indexPath.section() == 0)
        return m_typeCell;
    if (indexPath.section() == 1) {
        std::string type = tileType();
        if (type == "http")
            return m_urlCell;
        if (type == "tel")
            return m_telSel;
    }
    return nullptr;
}

std::optional<std::string> EditTouchImageViewController::tableViewTitleForHeaderInSection(ui::TableView&,
                                                                                          std::size_t section)
{
    if (section == 0)
        return localized("Type");
    if (section == 1)
        return localized("Parameters");
    return std::nullopt;
}

std::optional<std::string> EditTouchImageViewController::tableViewTitleForFooterInSection(ui::TableView&,
                                                                                          std::size_t section)
{
    if (section == 0)
        return std::string();
    if (section == 1) {
        auto version = ns::Bundle::main()->objectForInfoDictionaryKey("CFBundleVersion");
        return ns::format("Norvak v%@", version);
    }
    return std::nullopt;
}

void EditTouchImageViewController::tableViewDidSelectRowAtIndexPath(ui::TableView&,
                                                                    const ns::IndexPath& indexPath)
{
    auto* navigation = navigationController();
    if (indexPath.section() == 0) {
        auto list = SelectionListViewController::create(ui::TableViewStyle::Grouped);
        list->setSubtitle(localized("Type"));
        list->setItems(m_typeCell->choices());
        list->setSelectedIndex(m_typeCell->selectedIndex());
        list->setDelegate(self<EditTouchImageViewController>());
        list->setReference(ns::IndexPath::forRow(indexPath.row(), indexPath.section()));
        if (navigation)
            navigation->pushViewController(list, true);
    } else if (indexPath.section() == 1 && indexPath.row() == 0 && tileType() == "tel") {
        auto list = PeopleListViewController::create(ui::TableViewStyle::Grouped);
        list->setSelectedIndex(-1);
        list->setDelegate(self<EditTouchImageViewController>());
        list->setReference("1");
        if (navigation)
            navigation->pushViewController(list, true);
    }
}

void EditTouchImageViewController::selectionListViewController(SelectionListViewController&,
                                                               int32_t selectedIndex, const ns::Id& reference)
{
    auto path = ns::cast<ns::IndexPath>(reference);
    if (!path || path->section() != 0)
        return;
    if (selectedIndex < 0 || static_cast<std::size_t>(selectedIndex) >= m_typeIndex.size())
        return;
    // An address still being typed belongs to the type it was typed for.
    storeTypedAddress();
    const std::string& code = m_typeIndex[static_cast<std::size_t>(selectedIndex)];
    ns::log("type: %@", code);
    if (m_touchImage)
        m_touchImage->setType(code);
    m_typeCell->setSelectedIndex(selectedIndex);
    updateEnabledControls();
    tableView()->reloadData();
    if (auto* navigation = navigationController())
        navigation->popViewControllerAnimated(true);
}

void EditTouchImageViewController::textFieldCellWillReturn(KTextFieldCell& cell)
{
    if (&cell == m_urlCell.get()) {
        if (m_touchImage)
            m_touchImage->setParameters(cell.textField()->text());
        cell.textField()->resignFirstResponder();
    }
    updateEnabledControls();
}

void EditTouchImageViewController::textFieldCellDidEndEditing(KTextFieldCell& cell)
{
    if (&cell == m_urlCell.get())
        storeTypedAddress();
}

void EditTouchImageViewController::peopleListViewController(PeopleListViewController* controller,
                                                            const ns::Ref<ui::Image>& photo, int,
                                                            const std::string&, const std::string& phone,
                                                            const std::string&)
{
    if (!m_touchImage || !photo)
        return;
    std::string name = NextImageAvailable();
    auto png = ui::ImagePNGRepresentation(photo);
    ns::Ref<ns::Error> error;
    if (!png || !ns::FileManager::writeAtomically(ns::Sandbox::documentsPath() + "/" + name, *png, &error)) {
        // A tile naming a photo that is not there would be dropped at the next start.
        ns::log("the photo for the tile could not be written: %@", error);
        return;
    }
    m_touchImage->setImage(photo);
    m_touchImage->setImageName(name);
    m_touchImage->setType(std::string("tel"));
    m_touchImage->setParameters(ns::format("tel:%@", withoutSpaces(phone)));
    // The tile now stands for the picked person: name, label and record, as a pick from the board does.
    if (controller && controller->pickedEntry())
        PeopleListViewController::labelTileWithEntry(*m_touchImage, *controller->pickedEntry());
    m_touchImage->layoutSubviews();
}
