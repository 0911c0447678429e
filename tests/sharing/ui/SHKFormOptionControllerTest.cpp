#include "sharing/support/FormFixture.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/ui/SHKFormOptionController.h"
#include "uikit/AlertView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableView.h"
#include "uikit/TableViewCell.h"

#include <string>
#include <vector>

namespace {

// The option list's client: what it was told, with whether the provider had been told to stop first.
class Client : public ns::Object, public SHKFormOptionControllerClient
{
public:
    static ns::Ref<Client> create() { return ns::Factory<Client>::make(); }
    void SHKFormOptionControllerPickedOption(SHKFormOptionController&,
                                             const std::optional<std::string>& pickedOption) override
    {
        picks.push_back(pickedOption.value_or("(nil)"));
    }
    std::vector<std::string> picks;

protected:
    Client() = default;
    friend ns::Factory<Client>;
};

// A provider that fetches when asked and answers when the test says so.
class Provider : public ns::Object, public SHKFormOptionControllerOptionProvider
{
public:
    static ns::Ref<Provider> create() { return ns::Factory<Provider>::make(); }
    void SHKFormOptionControllerEnumerateOptions(SHKFormOptionController&) override
    {
        calls.push_back("enumerate");
    }
    void SHKFormOptionControllerCancelEnumerateOptions(SHKFormOptionController&) override
    {
        calls.push_back("cancel");
    }
    std::vector<std::string> calls;

protected:
    Provider() = default;
    friend ns::Factory<Provider>;
};

ns::Ref<ns::MutableArray> strings(const std::vector<std::string>& items)
{
    auto list = ns::MutableArray::make();
    for (const auto& item : items)
        list->addObject(ns::String::make(item));
    return list;
}

ns::Ref<ns::MutableDictionary> description(const std::vector<std::string>& items, const std::string& chosen,
                                           bool fixed, bool multiple, ns::Id provider = nullptr)
{
    auto info = ns::MutableDictionary::make();
    info->setObject(ns::String::make("Albums"), "title");
    info->setObject(strings(items), "itemsList");
    info->setObject(ns::String::make(chosen), "curIndexes");
    info->setObject(ns::Number::numberWithBool(fixed), "static");
    info->setObject(ns::Number::numberWithBool(multiple), "allowMultiple");
    if (provider)
        info->setObject(provider, "SHKFormOptionControllerOptionProvider");
    return info;
}

class OptionList : public FormFixture
{
protected:
    // The list for a row with the description, on a navigation controller the facade shows.
    ns::Ref<SHKFormOptionController> showList(ns::Ref<ns::MutableDictionary> info)
    {
        settings = SHKFormFieldSettings::label(std::string("Album"), std::string("album"),
                                               SHKFormFieldTypeOptionPicker, std::string("None"), info);
        auto list = SHKFormOptionController::create(settings, client);
        show(ui::NavigationController::create(list));
        return list;
    }

    std::vector<std::string> checked(SHKFormOptionController& list)
    {
        std::vector<std::string> rows;
        auto table = list.tableView();
        for (long r = 0; r < table->numberOfRowsInSection(0); ++r) {
            auto cell = table->cellForRowAtIndexPath(ns::IndexPath(0, r));
            if (cell && cell->accessoryType() == ui::TableViewCellAccessoryType::Checkmark)
                rows.push_back(cell->textLabel()->text().value_or(""));
        }
        return rows;
    }

    std::string curIndexes() const
    {
        return settings->optionPickerInfo()->stringForKey("curIndexes").value_or("");
    }

    bool overlayShows(const std::string& message)
    {
        auto overlay = SHKActivityIndicator::currentIndicator();
        return overlay->alpha() > 0 && overlay->subMessageLabel() &&
               overlay->subMessageLabel()->text() == message;
    }

    ns::Ref<Client> client = Client::create();
    ns::Ref<SHKFormFieldSettings> settings;
};

} // namespace

TEST_F(OptionList, ASingleChoicePicksAtOnce)
{
    auto list = showList(description({"Holidays", "Work", "Family"}, "1", true, false));
    EXPECT_EQ(list->title(), "Albums");
    EXPECT_EQ(list->tableView()->style(), ui::TableViewStyle::Plain);
    EXPECT_EQ(checked(*list), (std::vector<std::string>{"Work"}));
    EXPECT_FALSE(list->navigationItem()->rightBarButtonItem());
    ASSERT_TRUE(list->navigationItem()->leftBarButtonItem());
    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 2));
    EXPECT_EQ(client->picks, (std::vector<std::string>{"Family"}));
    EXPECT_EQ(curIndexes(), "2");
}

TEST_F(OptionList, AMultipleChoiceTogglesUntilDone)
{
    struct Row
    {
        const char* name;
        const char* start;
        std::vector<long> taps;
        const char* indexes;
        const char* picked;
    };
    std::vector<std::string> items;
    for (int i = 0; i < 12; ++i)
        items.push_back("Album " + std::to_string(i));
    const Row rows[] = {
        {"from nothing", "-1", {3}, "3", "Album 3"},
        {"appended", "-1", {3, 0}, "3,0", "Album 3,Album 0"},
        {"taken back", "-1", {3, 0, 3}, "0", "Album 0"},
        {"the last taken back", "-1", {3, 3}, "-1", "-1"},
        // "1" is no member of "10": tapping row 1 adds it, and tapping it again takes only it away.
        {"one beside ten", "10", {1}, "10,1", "Album 10,Album 1"},
        {"one taken from beside ten", "10,1", {1}, "10", "Album 10"},
        {"ten taken from beside one", "1,10", {10}, "1", "Album 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        client = Client::create();
        auto list = showList(description(items, row.start, true, true));
        for (long tap : row.taps)
            list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, tap));
        EXPECT_EQ(curIndexes(), row.indexes);
        EXPECT_TRUE(client->picks.empty());
        ASSERT_TRUE(driver.press("Done"));
        EXPECT_EQ(client->picks, (std::vector<std::string>{row.picked}));
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        driver.advance(1);
        SHK::currentHelper()->viewWasDismissed();
    }
}

TEST_F(OptionList, OnlyTheListedRowsAreChecked)
{
    std::vector<std::string> items;
    for (int i = 0; i < 11; ++i)
        items.push_back("Album " + std::to_string(i));
    auto list = showList(description(items, "10", true, true));
    list->tableView()->scrollToRowAtIndexPath(ns::IndexPath(0, 10), ui::TableViewScrollPosition::Bottom,
                                              false);
    driver.settle();
    EXPECT_EQ(checked(*list), (std::vector<std::string>{"Album 10"}));
    EXPECT_EQ(list->tableView()->cellForRowAtIndexPath(ns::IndexPath(0, 1)) &&
                  list->tableView()->cellForRowAtIndexPath(ns::IndexPath(0, 1))->accessoryType() ==
                      ui::TableViewCellAccessoryType::Checkmark,
              false);
}

TEST_F(OptionList, AFetchedListLoadsFromItsProvider)
{
    auto provider = Provider::create();
    auto list = showList(description({}, "4", false, true, provider));
    EXPECT_EQ(provider->calls, (std::vector<std::string>{"enumerate"}));
    EXPECT_TRUE(list->isEnumerating());
    EXPECT_TRUE(overlayShows("Loading..."));
    EXPECT_FALSE(list->navigationItem()->rightBarButtonItem());
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 0);

    // Fewer options than the stored index: the choice is forgotten.
    list->optionsEnumerated(strings({"Holidays", "Work"}));
    EXPECT_FALSE(list->isEnumerating());
    EXPECT_TRUE(list->didReceiveOptions());
    EXPECT_EQ(SHKActivityIndicator::currentIndicator()->alpha(), 0);
    EXPECT_EQ(curIndexes(), "-1");
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 2);
    ASSERT_TRUE(list->navigationItem()->rightBarButtonItem());
    // Asked again, it does not fetch again.
    list->updateFromOptions();
    EXPECT_EQ(provider->calls, (std::vector<std::string>{"enumerate"}));

    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 1));
    ASSERT_TRUE(driver.press("Done"));
    EXPECT_EQ(client->picks, (std::vector<std::string>{"Work"}));
}

TEST_F(OptionList, AFetchedListKeepsAChoiceThatStillFits)
{
    auto provider = Provider::create();
    auto list = showList(description({}, "1", false, false, provider));
    list->optionsEnumerated(strings({"Holidays", "Work"}));
    EXPECT_EQ(curIndexes(), "1");
    EXPECT_EQ(checked(*list), (std::vector<std::string>{"Work"}));
    EXPECT_FALSE(list->navigationItem()->rightBarButtonItem());
}

TEST_F(OptionList, CancellingWhileFetchingStopsTheProviderBeforeTheClientHears)
{
    auto provider = Provider::create();
    auto list = showList(description({}, "-1", false, false, provider));
    ASSERT_TRUE(driver.press("Cancel"));
    EXPECT_EQ(provider->calls, (std::vector<std::string>{"enumerate", "cancel"}));
    EXPECT_EQ(client->picks, (std::vector<std::string>{"(nil)"}));
    EXPECT_EQ(SHKActivityIndicator::currentIndicator()->alpha(), 0);
    EXPECT_FALSE(list->isEnumerating());
}

TEST_F(OptionList, NothingToChooseFromShowsNoOptionsAndCancels)
{
    struct Row
    {
        const char* name;
        bool fails; // the provider fails, else it delivers an empty list
    };
    const Row rows[] = {{"failure", true}, {"empty list", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::AlertView::clearShownAlerts();
        client = Client::create();
        auto provider = Provider::create();
        auto list = showList(description({}, "-1", false, true, provider));
        if (row.fails)
            list->optionsEnumerationFailedWithError(ns::Error::make("test", 1));
        else
            list->optionsEnumerated(ns::MutableArray::make());
        auto alerts = ui::AlertView::shownAlerts();
        ASSERT_EQ(alerts.size(), 1u);
        auto alert = alerts.front();
        EXPECT_EQ(alert->title(), "No Options");
        EXPECT_EQ(alert->message(), "Could not find any Albums");
        EXPECT_TRUE(client->picks.empty());
        ASSERT_TRUE(driver.answerAlert("Cancel"));
        EXPECT_EQ(client->picks, (std::vector<std::string>{"(nil)"}));
        // The provider had already finished: it is not told to stop.
        EXPECT_EQ(provider->calls, (std::vector<std::string>{"enumerate"}));
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        driver.advance(1);
        SHK::currentHelper()->viewWasDismissed();
    }
}

TEST_F(OptionList, ABrokenDescriptionIsAProgrammingError)
{
    struct Row
    {
        const char* name;
        const char* removed; // a key taken out, or none
        bool fixed;
        bool provider;
        bool empty;
        const char* reason;
    };
    const Row rows[] = {
        {"no selection", "curIndexes", true, false, false, "ShareCore: missing the cur selection value"},
        {"no items", "itemsList", true, false, false, "ShareCore: missing the itemsList"},
        {"no static flag", "static", true, false, false, "ShareCore: missing the static flag"},
        {"a fixed empty list", nullptr, true, false, true,
         "ShareCore: there must be some choices or it must be not static"},
        {"fetched without a provider", nullptr, false, false, true,
         "ShareCore: if you are not static you must give a provider"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto info = description(row.empty ? std::vector<std::string>{} : std::vector<std::string>{"Holidays"},
                                "-1", row.fixed, false, row.provider ? Provider::create() : nullptr);
        if (row.removed)
            info->removeObjectForKey(row.removed);
        auto list = SHKFormOptionController::create(
            SHKFormFieldSettings::label(std::string("Album"), std::string("album"),
                                        SHKFormFieldTypeOptionPicker, std::string("None"), info),
            client);
        try {
            list->updateFromOptions();
            ADD_FAILURE() << "no assertion";
        } catch (const ns::Exception& exception) {
            EXPECT_EQ(exception.name(), ns::InternalInconsistencyException);
            EXPECT_EQ(exception.reason(), row.reason);
            EXPECT_EQ(exception.file(), "Classes/Sharing/UI/SHKFormOptionController");
            EXPECT_GT(exception.line(), 0);
        }
    }
}
