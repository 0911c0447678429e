#include "sharing/ui/SHKFormController.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/StringDrawing.h"
#include "uikit/TableView.h"

#include <algorithm>

namespace {

constexpr int SeparatorSingleLine = 1;

bool isTextRow(int type)
{
    return type == SHKFormFieldTypeText || type == SHKFormFieldTypeTextNoCorrect ||
           type == SHKFormFieldTypePassword;
}

} // namespace

SHKFormController::SHKFormController(ui::TableViewStyle style, std::optional<std::string> title,
                                     std::string rightButtonTitle)
    : ui::TableViewController(style), m_values(ns::MutableDictionary::make()),
      m_rightButtonTitle(std::move(rightButtonTitle))
{
    setTitle(std::move(title));
}

ns::Ref<SHKFormController> SHKFormController::create(ui::TableViewStyle style,
                                                     std::optional<std::string> title,
                                                     std::string rightButtonTitle)
{
    auto form = ns::Factory<SHKFormController>::make(style, std::move(title), std::move(rightButtonTitle));
    form->setUpBarButtons();
    return form;
}

ns::Ref<SHKCustomFormController> SHKCustomFormController::create(ui::TableViewStyle style,
                                                                 std::optional<std::string> title,
                                                                 std::string rightButtonTitle)
{
    auto form =
        ns::Factory<SHKCustomFormController>::make(style, std::move(title), std::move(rightButtonTitle));
    form->setUpBarButtons();
    return form;
}

void SHKFormController::setUpBarButtons()
{
    auto weak = weakSelf<SHKFormController>();
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withSystemItem(
        ui::BarButtonSystemItem::Cancel, shared_from_this(), [weak](const ns::Id&) {
            if (auto form = weak.lock())
                form->cancel();
        }));
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withTitle(
        m_rightButtonTitle, ui::BarButtonItemStyle::Done, shared_from_this(), [weak](const ns::Id&) {
            if (auto form = weak.lock())
                form->validateForm();
        }));
}

void SHKFormController::setValues(ns::Ref<ns::MutableDictionary> values)
{
    m_values = values ? std::move(values) : ns::MutableDictionary::make();
}

bool SHKFormController::usePlaceholders()
{
    return SHKConfiguration::boolValue("usePlaceholders");
}

void SHKFormController::addSection(std::vector<ns::Ref<SHKFormFieldSettings>> rows,
                                   std::optional<std::string> header, std::optional<std::string> footer)
{
    m_sections.push_back({std::move(rows), std::move(header), std::move(footer)});
    if (m_sections.size() != 1 || usePlaceholders())
        return;
    // The fields of the text rows start together, after the widest of their captions.
    auto font = ui::Font::boldSystemFontOfSize(17);
    float widest = 0;
    for (const auto& row : m_sections.front().rows)
        if (row && isTextRow(row->type()) && row->label())
            widest = std::max(widest, ui::sizeWithFont(*row->label(), *font).width);
    m_labelWidth = widest;
}

ns::Ref<SHKFormFieldSettings> SHKFormController::rowAt(std::size_t section, std::size_t row) const
{
    if (section >= m_sections.size() || row >= m_sections[section].rows.size())
        return nullptr;
    return m_sections[section].rows[row];
}

void SHKFormController::tellDelegate(const Selector& selector)
{
    auto delegate = m_delegate.lock();
    if (delegate && selector)
        selector(*delegate, *this);
}

void SHKFormController::validateForm()
{
    auto keep = self<SHKFormController>();
    if (m_activeField)
        m_activeField->resignFirstResponder();
    tellDelegate(m_validateSelector);
}

void SHKFormController::saveForm()
{
    auto keep = self<SHKFormController>();
    tellDelegate(m_saveSelector);
    close();
}

void SHKFormController::cancel()
{
    auto keep = self<SHKFormController>();
    close();
    tellDelegate(m_cancelSelector);
}

void SHKFormController::close()
{
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
}

ns::Ref<ns::MutableDictionary> SHKFormController::formValues()
{
    return formValuesForSection(0);
}

ns::Ref<ns::MutableDictionary> SHKFormController::formValuesForSection(std::size_t section)
{
    auto result = ns::MutableDictionary::make();
    if (section >= m_sections.size())
        return result;
    auto table = tableView();
    const auto rows = m_sections[section].rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        if (!row || !row->key())
            continue;
        auto cell = table
                        ? ns::cast<SHKFormFieldCell>(table->cellForRowAtIndexPath(ns::IndexPath(section, r)))
                        : nullptr;
        if (cell && cell->settings() && cell->settings()->key() == row->key()) {
            if (auto value = cell->getValue()) {
                if (row->type() == SHKFormFieldTypeOptionPicker && row->start() == value)
                    continue;
                result->setObject(ns::String::make(*value), *row->key());
                continue;
            }
        }
        if (auto stored = m_values->objectForKey(*row->key()))
            result->setObject(stored, *row->key());
    }
    return result;
}

bool SHKFormController::textFieldShouldReturn(ui::TextField&)
{
    validateForm();
    return true;
}

void SHKFormController::textFieldDidBeginEditing(ui::TextField& textField)
{
    m_activeField = textField.self<ui::TextField>();
}

void SHKFormController::SHKFormOptionControllerPickedOption(SHKFormOptionController& optionController,
                                                            const std::optional<std::string>& pickedOption)
{
    auto keep = self<SHKFormController>();
    if (pickedOption) {
        auto settings = optionController.settings();
        if (settings && settings->key()) {
            if (*pickedOption == "-1")
                m_values->removeObjectForKey(*settings->key());
            else
                m_values->setObject(ns::String::make(*pickedOption), *settings->key());
        }
        if (!m_sections.empty()) {
            const auto& rows = m_sections.front().rows;
            auto found = std::find(rows.begin(), rows.end(), settings);
            if (found != rows.end()) {
                auto index = static_cast<std::size_t>(found - rows.begin());
                if (auto cell = ns::cast<SHKFormFieldCell>(
                        tableView()->cellForRowAtIndexPath(ns::IndexPath(0, index))))
                    cell->setValue(*pickedOption == "-1" ? settings->start() : pickedOption);
            }
        }
        tableView()->reloadData();
    }
    if (auto* navigation = navigationController())
        navigation->popViewControllerAnimated(true);
}

void SHKFormController::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    auto table = tableView();
    table->setSeparatorStyle(SeparatorSingleLine);
    if (auto colour = ns::cast<ui::Color>(
            SHKConfiguration::sharedInstance()->configurationValue("formBackgroundColor"))) {
        table->setBackgroundView(nullptr);
        table->setBackgroundColor(colour);
    }
}

void SHKFormController::viewDidAppear(bool animated)
{
    ui::TableViewController::viewDidAppear(animated);
    if (m_autoSelect)
        tableView()->selectRowAtIndexPath(ns::IndexPath(0, 0), false, ui::TableViewScrollPosition::None);
}

void SHKFormController::viewDidDisappear(bool animated)
{
    ui::TableViewController::viewDidDisappear(animated);
    // Something pushed over the form (an option list) leaves it in place; only a form whose screen has gone
    // reports.
    auto* navigation = navigationController();
    if (!navigation || !navigation->topViewController())
        SHK::currentHelper()->viewWasDismissed();
}

long SHKFormController::numberOfSectionsInTableView(ui::TableView&)
{
    return static_cast<long>(m_sections.size());
}

long SHKFormController::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section)
{
    return section < m_sections.size() ? static_cast<long>(m_sections[section].rows.size()) : 0;
}

std::optional<std::string> SHKFormController::tableViewTitleForHeaderInSection(ui::TableView&,
                                                                               std::size_t section)
{
    return section < m_sections.size() ? m_sections[section].header : std::nullopt;
}

std::optional<std::string> SHKFormController::tableViewTitleForFooterInSection(ui::TableView&,
                                                                               std::size_t section)
{
    return section < m_sections.size() ? m_sections[section].footer : std::nullopt;
}

ns::Ref<ui::TableViewCell> SHKFormController::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                             const ns::IndexPath& indexPath)
{
    auto row = rowAt(indexPath.section(), indexPath.row());
    int type = row ? row->type() : -1;
    std::string identifier = type == SHKFormFieldTypeOptionPicker ? "OptionCell" : "Cell";
    auto cell = ns::cast<SHKFormFieldCell>(tableView.dequeueReusableCellWithIdentifier(identifier));
    if (!cell) {
        cell = SHKCustomFormFieldCell::create(identifier);
        cell->setForm(self<SHKFormController>());
        if (auto colour =
                ns::cast<ui::Color>(SHKConfiguration::sharedInstance()->configurationValue("formFontColor")))
            cell->textLabel()->setTextColor(colour);
    } else if (const auto& old = cell->settings(); old && old->key()) {
        // The cell's row is leaving the screen: its value stays with the form.
        if (auto value = cell->getValue();
            value && !(old->type() == SHKFormFieldTypeOptionPicker && old->start() == value))
            m_values->setObject(ns::String::make(*value), *old->key());
    }
    cell->setSettings(row);
    if (!row)
        return cell;

    if (usePlaceholders() && type != SHKFormFieldTypeOptionPicker) {
        cell->getTextField()->setPlaceholder(row->label());
        cell->textLabel()->setText(type == SHKFormFieldTypeSwitch ? row->label() : std::nullopt);
    } else {
        cell->setLabelWidth(m_labelWidth);
        cell->textLabel()->setText(row->label());
    }

    std::optional<std::string> value;
    auto stored = row->key() ? ns::cast<ns::String>(m_values->objectForKey(*row->key())) : nullptr;
    if (stored) {
        value = stored->str();
    } else if (row->start()) {
        auto info = row->optionPickerInfo();
        auto indexes = info ? info->stringForKey(SHKFormOptionCurIndexesKey) : std::nullopt;
        if (type == SHKFormFieldTypeOptionPicker && indexes && *indexes != "-1")
            value = row->optionPickerValueForIndexes(*indexes);
        else
            value = row->start();
    }
    cell->setValue(value);
    return cell;
}

void SHKFormController::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ns::IndexPath& indexPath)
{
    auto row = rowAt(indexPath.section(), indexPath.row());
    if (!row || row->type() != SHKFormFieldTypeOptionPicker)
        return;
    if (auto* navigation = navigationController())
        navigation->pushViewController(SHKFormOptionController::create(row, self<SHKFormController>()), true);
}
