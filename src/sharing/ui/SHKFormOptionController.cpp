#include "sharing/ui/SHKFormOptionController.h"

#include "foundation/Array.h"
#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableView.h"

#include <algorithm>

namespace {

// A broken option-list description is a programming error of the sharer that built it; the exception
// names this screen's source the way the framework's other assertions name theirs.
[[noreturn]] void descriptionAssertion(int line, const char* text)
{
    ns::Exception exception(ns::InternalInconsistencyException, text);
    exception.setLocation("Classes/Sharing/UI/SHKFormOptionController", line);
    throw exception;
}

} // namespace

SHKFormOptionController::SHKFormOptionController(ns::Ref<SHKFormFieldSettings> settings,
                                                 const ns::Ref<SHKFormOptionControllerClient>& client)
    : ui::TableViewController(ui::TableViewStyle::Plain), m_settings(std::move(settings)), m_client(client)
{
}

ns::Ref<SHKFormOptionController>
SHKFormOptionController::create(ns::Ref<SHKFormFieldSettings> settings,
                                const ns::Ref<SHKFormOptionControllerClient>& client)
{
    auto controller = ns::Factory<SHKFormOptionController>::make(std::move(settings), client);
    if (auto info = controller->info())
        controller->setTitle(info->stringForKey(SHKFormOptionTitleKey));
    return controller;
}

ns::Ref<ns::MutableDictionary> SHKFormOptionController::info() const
{
    return m_settings ? m_settings->optionPickerInfo() : nullptr;
}

ns::Ref<ns::Array> SHKFormOptionController::items() const
{
    auto description = info();
    return description ? description->objectAs<ns::Array>(SHKFormOptionItemsListKey) : nullptr;
}

std::string SHKFormOptionController::curIndexes() const
{
    auto description = info();
    auto text = description ? description->stringForKey(SHKFormOptionCurIndexesKey) : std::nullopt;
    return text.value_or("-1");
}

bool SHKFormOptionController::allowsMultiple() const
{
    auto description = info();
    auto flag = description ? description->objectAs<ns::Number>(SHKFormOptionAllowMultipleKey) : nullptr;
    return flag && flag->boolValue();
}

void SHKFormOptionController::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    updateFromOptions();
    navigationItem()->setLeftBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel, shared_from_this(),
                                          [weak = weakSelf<SHKFormOptionController>()](const ns::Id& sender) {
                                              if (auto list = weak.lock())
                                                  list->cancel(sender);
                                          }),
        true);
    auto description = info();
    auto fixed = description ? description->objectAs<ns::Number>(SHKFormOptionStaticKey) : nullptr;
    if (fixed && fixed->boolValue() && allowsMultiple())
        putDoneButton();
}

void SHKFormOptionController::putDoneButton()
{
    navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done, shared_from_this(),
                                          [weak = weakSelf<SHKFormOptionController>()](const ns::Id& sender) {
                                              if (auto list = weak.lock())
                                                  list->done(sender);
                                          }),
        true);
}

void SHKFormOptionController::updateFromOptions()
{
    auto keep = self<SHKFormOptionController>();
    auto description = info();
    if (!description || !description->stringForKey(SHKFormOptionCurIndexesKey))
        descriptionAssertion(__LINE__, "ShareCore: missing the cur selection value");
    auto list = items();
    if (!list)
        descriptionAssertion(__LINE__, "ShareCore: missing the itemsList");
    auto fixedFlag = description->objectAs<ns::Number>(SHKFormOptionStaticKey);
    if (!fixedFlag)
        descriptionAssertion(__LINE__, "ShareCore: missing the static flag");
    bool fixed = fixedFlag->boolValue();
    if (fixed && list->count() == 0)
        descriptionAssertion(__LINE__, "ShareCore: there must be some choices or it must be not static");
    // A service that has nothing to offer is no programming error: the user hears so and the list cancels.
    if (!fixed && m_didReceiveOptions && list->count() == 0) {
        SHKActivityIndicator::currentIndicator()->hide();
        tableView()->reloadData();
        showNoOptions();
        return;
    }
    auto provider = ns::cast<SHKFormOptionControllerOptionProvider>(
        description->objectForKey(std::string_view(SHKFormOptionProviderKey)));
    if (!fixed && !provider)
        descriptionAssertion(__LINE__, "ShareCore: if you are not static you must give a provider");

    if (fixed || isEnumerating() || m_didReceiveOptions) {
        SHKActivityIndicator::currentIndicator()->hide();
    } else {
        SHKActivityIndicator::currentIndicator()->displayActivity(SHKLookupLocalizedText("Loading..."));
        m_provider = provider;
        provider->SHKFormOptionControllerEnumerateOptions(*this);
    }
    tableView()->reloadData();
}

long SHKFormOptionController::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t)
{
    auto list = items();
    return list ? static_cast<long>(list->count()) : 0;
}

ns::Ref<ui::TableViewCell>
SHKFormOptionController::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                        const ns::IndexPath& indexPath)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier("Cell");
    if (!cell)
        cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, std::string("Cell"));
    auto list = items();
    ns::Id item = list && indexPath.row() < list->count() ? list->objectAtIndex(indexPath.row()) : nullptr;
    auto text = ns::cast<ns::String>(item);
    cell->textLabel()->setText(text   ? std::optional<std::string>(text->str())
                               : item ? std::optional<std::string>(ns::describe(item))
                                      : std::nullopt);
    auto chosen = SHKOptionIndexesFromText(curIndexes());
    bool checked = std::find(chosen.begin(), chosen.end(), indexPath.row()) != chosen.end();
    cell->setAccessoryType(checked ? ui::TableViewCellAccessoryType::Checkmark
                                   : ui::TableViewCellAccessoryType::None);
    return cell;
}

void SHKFormOptionController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                               const ns::IndexPath& indexPath)
{
    auto keep = self<SHKFormOptionController>();
    auto description = info();
    auto list = items();
    if (!description || !list || indexPath.row() >= list->count())
        return;
    std::string row = std::to_string(indexPath.row());
    if (!allowsMultiple()) {
        description->setObject(ns::String::make(row), SHKFormOptionCurIndexesKey);
        auto item = list->objectAtIndex(indexPath.row());
        auto text = ns::cast<ns::String>(item);
        if (auto client = m_client.lock())
            client->SHKFormOptionControllerPickedOption(*this, text ? text->str() : ns::describe(item));
        return;
    }
    std::string current = curIndexes();
    std::string next;
    if (current == "-1") {
        next = row;
    } else {
        auto chosen = SHKOptionIndexesFromText(current);
        if (std::find(chosen.begin(), chosen.end(), indexPath.row()) == chosen.end()) {
            next = ns::format("%@,%@", current, row);
        } else {
            std::vector<std::string> rest;
            for (std::size_t index : chosen)
                if (index != indexPath.row())
                    rest.push_back(std::to_string(index));
            next = rest.empty() ? "-1" : ns::join(rest, ",");
        }
    }
    description->setObject(ns::String::make(next), SHKFormOptionCurIndexesKey);
    tableView.reloadRowsAtIndexPaths({indexPath}, ui::TableViewRowAnimation::Fade);
}

void SHKFormOptionController::optionsEnumerated(const ns::Ref<ns::Array>& options)
{
    auto keep = self<SHKFormOptionController>();
    m_didReceiveOptions = true;
    m_provider.reset();
    auto description = info();
    if (!description)
        return;
    ns::Ref<ns::Array> list = options ? options : ns::Array::make();
    description->setObject(list, SHKFormOptionItemsListKey);
    std::string current = curIndexes();
    if (current != "-1") {
        auto chosen = SHKOptionIndexesFromText(current);
        if (std::any_of(chosen.begin(), chosen.end(),
                        [&](std::size_t index) { return index >= list->count(); }))
            description->setObject(ns::String::make("-1"), SHKFormOptionCurIndexesKey);
    }
    updateFromOptions();
    if (allowsMultiple() && list->count() > 0)
        putDoneButton();
}

void SHKFormOptionController::optionsEnumerationFailedWithError(const ns::Ref<ns::Error>&)
{
    m_provider.reset();
    showNoOptions();
}

void SHKFormOptionController::showNoOptions()
{
    auto description = info();
    auto title = description ? description->stringForKey(SHKFormOptionTitleKey) : std::nullopt;
    auto alert = ui::AlertView::create(SHKLookupLocalizedText("No Options"),
                                       ns::format("%@ %@", SHKLookupLocalizedText("Could not find any"),
                                                  title ? *title : std::string("(null)")),
                                       std::dynamic_pointer_cast<ui::AlertViewDelegate>(shared_from_this()),
                                       SHKLookupLocalizedText("Cancel"));
    alert->show();
}

void SHKFormOptionController::alertViewDidDismissWithButtonIndex(ui::AlertView&, long)
{
    cancel(nullptr);
}

void SHKFormOptionController::cancel(const ns::Id&)
{
    auto keep = self<SHKFormOptionController>();
    SHKActivityIndicator::currentIndicator()->hide();
    if (auto provider = m_provider.lock())
        provider->SHKFormOptionControllerCancelEnumerateOptions(*this);
    m_provider.reset();
    if (auto client = m_client.lock())
        client->SHKFormOptionControllerPickedOption(*this, std::nullopt);
}

void SHKFormOptionController::done(const ns::Id&)
{
    auto keep = self<SHKFormOptionController>();
    std::string picked = m_settings ? m_settings->optionPickerValueForIndexes(curIndexes()) : "-1";
    if (auto client = m_client.lock())
        client->SHKFormOptionControllerPickedOption(*this, picked);
}
