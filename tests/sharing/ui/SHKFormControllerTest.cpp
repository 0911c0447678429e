#include "sharing/support/FormFixture.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/ui/SHKFormController.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "sharing/ui/SHKFormOptionController.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/StringDrawing.h"
#include "uikit/Switch.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// A sharer's side of a form: it records each call with whether the facade was already hiding the form,
// and accepts the values on validation unless told otherwise.
class FormOwner : public ns::Object
{
public:
    static ns::Ref<FormOwner> create() { return ns::Factory<FormOwner>::make(); }

    void validate(SHKFormController& form)
    {
        record("validate");
        values = form.formValues();
        if (accept)
            form.saveForm();
    }
    void save(SHKFormController& form)
    {
        record("save");
        values = form.formValues();
    }
    void cancel(SHKFormController&) { record("cancel"); }

    void attach(SHKFormController& form)
    {
        form.setDelegate(self<FormOwner>());
        form.setValidateSelector(SHKFormController::selector(&FormOwner::validate));
        form.setSaveSelector(SHKFormController::selector(&FormOwner::save));
        form.setCancelSelector(SHKFormController::selector(&FormOwner::cancel));
    }

    std::vector<std::string> calls;
    ns::Ref<ns::MutableDictionary> values;
    bool accept = true;

protected:
    FormOwner() = default;
    friend ns::Factory<FormOwner>;

private:
    void record(const std::string& call)
    {
        calls.push_back(call + (SHK::currentHelper()->isDismissingView() ? " (hiding)" : ""));
    }
};

std::optional<std::string> text(const ns::Ref<ns::MutableDictionary>& values, const std::string& key)
{
    return values ? values->stringForKey(key) : std::nullopt;
}

ns::Ref<ns::MutableDictionary> fixedOptions(std::vector<std::string> items, std::string chosen,
                                            bool multiple = false)
{
    auto info = ns::MutableDictionary::make();
    auto list = ns::MutableArray::make();
    for (auto& item : items)
        list->addObject(ns::String::make(item));
    info->setObject(ns::String::make("Colour"), "title");
    info->setObject(list, "itemsList");
    info->setObject(ns::String::make(chosen), "curIndexes");
    info->setObject(ns::Number::numberWithBool(true), "static");
    info->setObject(ns::Number::numberWithBool(multiple), "allowMultiple");
    return info;
}

class Form : public FormFixture
{
protected:
    // A login form of the usual shape, pushed on a navigation controller that the facade shows.
    ns::Ref<SHKFormController> showForm(std::vector<ns::Ref<SHKFormFieldSettings>> rows)
    {
        auto form =
            SHKCustomFormController::create(ui::TableViewStyle::Grouped, std::string("Login"), "Login");
        owner->attach(*form);
        form->addSection(std::move(rows), std::nullopt, std::nullopt);
        navigation = ui::NavigationController::create(form);
        show(navigation);
        return form;
    }

    ns::Ref<SHKFormFieldCell> cellAt(SHKFormController& form, std::size_t row, std::size_t section = 0)
    {
        return ns::cast<SHKFormFieldCell>(
            form.tableView()->cellForRowAtIndexPath(ns::IndexPath(section, row)));
    }

    ns::Ref<FormOwner> owner = FormOwner::create();
    ns::Ref<ui::NavigationController> navigation;
};

} // namespace

TEST(SHKFormFieldSettings, OptionPickerValueForIndexesReadsTheIndexesAsNumbers)
{
    struct Row
    {
        const char* name;
        const char* indexes;
        const char* value;
    };
    const Row rows[] = {
        {"nothing chosen", "-1", "-1"},
        {"one", "1", "b"},
        {"several in the listed order", "2,0", "c,a"},
        {"ten is not one", "10", "k"},
        {"beyond the list", "11", "-1"},
        {"empty", "", "-1"},
        {"not a number", "x", "-1"},
        {"a known index beside junk", "x,1", "b"},
    };
    auto settings = SHKFormFieldSettings::label(
        std::string("Letter"), std::string("letter"), SHKFormFieldTypeOptionPicker, std::string("None"),
        fixedOptions({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}, "-1"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(settings->optionPickerValueForIndexes(row.indexes), row.value);
    }
    auto plain = SHKFormFieldSettings::label(std::string("Name"), std::string("name"), SHKFormFieldTypeText,
                                             std::nullopt);
    EXPECT_EQ(plain->optionPickerInfo(), nullptr);
    EXPECT_EQ(plain->optionPickerValueForIndexes("0"), "-1");
}

TEST_F(Form, ShowsItsRowsWithTheirControlsAndStartValues)
{
    auto form = showForm({
        SHKFormFieldSettings::label(std::string("Title"), std::string("title"), SHKFormFieldTypeText,
                                    std::string("A day out")),
        SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                    SHKFormFieldTypeTextNoCorrect, std::nullopt),
        SHKFormFieldSettings::label(std::string("Password"), std::string("password"),
                                    SHKFormFieldTypePassword, std::nullopt),
        SHKFormFieldSettings::label(std::string("Public"), std::string("public"), SHKFormFieldTypeSwitch,
                                    std::string("1")),
        SHKFormFieldSettings::label(std::string("Shy"), std::string("shy"), SHKFormFieldTypeSwitch,
                                    std::string("yes")),
    });
    EXPECT_EQ(form->title(), "Login");
    ASSERT_TRUE(form->navigationItem()->rightBarButtonItem());
    EXPECT_EQ(form->navigationItem()->rightBarButtonItem()->title(), "Login");
    EXPECT_EQ(form->navigationItem()->rightBarButtonItem()->style(), ui::BarButtonItemStyle::Done);
    ASSERT_TRUE(form->navigationItem()->leftBarButtonItem());

    auto title = cellAt(*form, 0);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->className(), "SHKCustomFormFieldCell");
    EXPECT_EQ(title->textLabel()->text(), "Title");
    ASSERT_TRUE(title->textField());
    EXPECT_EQ(title->textField()->text(), "A day out");
    EXPECT_FALSE(title->textField()->isSecureTextEntry());
    EXPECT_TRUE(cellAt(*form, 2)->textField()->isSecureTextEntry());
    // A switch shows on for "1" only, and reads back "1" or "0".
    ASSERT_TRUE(cellAt(*form, 3)->toggle());
    EXPECT_TRUE(cellAt(*form, 3)->toggle()->isOn());
    EXPECT_FALSE(cellAt(*form, 4)->toggle()->isOn());
    EXPECT_EQ(cellAt(*form, 3)->getValue(), "1");
    EXPECT_EQ(cellAt(*form, 4)->getValue(), "0");
    EXPECT_EQ(cellAt(*form, 3)->textField(), nullptr);

    auto values = form->formValues();
    EXPECT_EQ(text(values, "title"), "A day out");
    EXPECT_EQ(text(values, "username"), "");
    EXPECT_EQ(text(values, "public"), "1");
    EXPECT_EQ(text(values, "shy"), "0");
}

TEST_F(Form, TheFieldsStartTogetherAfterTheWidestCaption)
{
    auto form = showForm({
        SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                    SHKFormFieldTypeTextNoCorrect, std::nullopt),
        SHKFormFieldSettings::label(std::string("Password"), std::string("password"),
                                    SHKFormFieldTypePassword, std::nullopt),
        // Switch and option captions do not widen the caption column.
        SHKFormFieldSettings::label(std::string("Send a copy to every friend"), std::string("copy"),
                                    SHKFormFieldTypeSwitch, std::string("0")),
    });
    auto font = ui::Font::boldSystemFontOfSize(17);
    float widest =
        std::max(ui::sizeWithFont("Username", *font).width, ui::sizeWithFont("Password", *font).width);
    EXPECT_FLOAT_EQ(form->labelWidth(), widest);
    driver.settle();
    auto user = cellAt(*form, 0);
    auto password = cellAt(*form, 1);
    ASSERT_TRUE(user && password);
    cg::Size content = user->contentView()->bounds().size;
    cg::Rect field = user->textField()->frame();
    EXPECT_FLOAT_EQ(field.origin.x, widest + 24);
    EXPECT_FLOAT_EQ(field.size.width, content.width - 10 - 24 - widest);
    EXPECT_FLOAT_EQ(field.size.height, 25);
    EXPECT_FLOAT_EQ(field.origin.y, std::round(content.height / 2 - 25.0f / 2) + 2);
    EXPECT_EQ(password->textField()->frame(), field);
    EXPECT_EQ(user->textLabel()->superview(), user->contentView().get());

    auto toggle = cellAt(*form, 2)->toggle();
    cg::Size size = toggle->frame().size;
    EXPECT_FLOAT_EQ(toggle->frame().origin.x, content.width - size.width - 10);
}

TEST_F(Form, WithPlaceholdersTheLabelsGoIntoTheFields)
{
    configurator->setValueForKey("usePlaceholders", ns::Number::numberWithBool(true));
    auto form = showForm({
        SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                    SHKFormFieldTypeTextNoCorrect, std::nullopt),
        SHKFormFieldSettings::label(std::string("Public"), std::string("public"), SHKFormFieldTypeSwitch,
                                    std::string("0")),
    });
    driver.settle();
    EXPECT_EQ(form->labelWidth(), 0);
    auto user = cellAt(*form, 0);
    EXPECT_EQ(user->textField()->placeholder(), "Username");
    EXPECT_FALSE(user->textLabel()->text());
    EXPECT_EQ(user->textLabel()->superview(), nullptr);
    EXPECT_EQ(user->textField()->frame().origin.x, 24);
    EXPECT_EQ(cellAt(*form, 1)->textLabel()->text(), "Public");
}

TEST_F(Form, TakesItsColoursFromTheConfiguration)
{
    auto background = ui::Color::colorWithRed(0.2f, 0.3f, 0.4f, 1);
    auto font = ui::Color::colorWithRed(0.9f, 0.1f, 0.1f, 1);
    configurator->setValueForKey("formBackgroundColor", background);
    configurator->setValueForKey("formFontColor", font);
    auto form = showForm({SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                                      SHKFormFieldTypeTextNoCorrect, std::nullopt)});
    EXPECT_EQ(form->tableView()->backgroundColor(), background);
    EXPECT_EQ(cellAt(*form, 0)->textLabel()->textColor(), font);
}

TEST_F(Form, ARowScrolledAwayKeepsItsTypedValue)
{
    std::vector<ns::Ref<SHKFormFieldSettings>> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back(SHKFormFieldSettings::label("Field " + std::to_string(i), "key" + std::to_string(i),
                                                   SHKFormFieldTypeText, std::nullopt));
    rows.push_back(SHKFormFieldSettings::label(std::string("Public"), std::string("public"),
                                               SHKFormFieldTypeSwitch, std::string("0")));
    auto form = showForm(rows);
    auto table = form->tableView();

    table->tapRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(driver.type("alice"));
    EXPECT_EQ(text(form->formValues(), "key0"), "alice");
    EXPECT_EQ(form->activeField(), cellAt(*form, 0)->textField());

    // Away: the row has no cell, and its value stays with the form.
    table->scrollToRowAtIndexPath(ns::IndexPath(0, 20), ui::TableViewScrollPosition::Bottom, false);
    driver.settle();
    EXPECT_EQ(cellAt(*form, 0), nullptr);
    EXPECT_EQ(text(form->values(), "key0"), "alice");
    EXPECT_EQ(text(form->formValues(), "key0"), "alice");
    // The switch at the bottom is on screen now; turned on, it reads "1".
    auto toggle = cellAt(*form, 20)->toggle();
    ASSERT_TRUE(toggle);
    toggle->setOn(true, false);
    EXPECT_EQ(text(form->formValues(), "public"), "1");

    // Back: the reused cell shows the typed value again.
    table->scrollToRowAtIndexPath(ns::IndexPath(0, 0), ui::TableViewScrollPosition::Top, false);
    driver.settle();
    auto cell = cellAt(*form, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->textField()->text(), "alice");
    // No other row took the value along with a reused cell.
    for (int i = 1; i < 20; ++i)
        EXPECT_EQ(text(form->formValues(), "key" + std::to_string(i)).value_or(""), "") << i;
    EXPECT_EQ(text(form->formValues(), "public"), "1");
}

TEST_F(Form, SaveTellsTheDelegateBeforeClosingAndCancelAfter)
{
    struct Row
    {
        const char* name;
        const char* button;
        bool accept;
        std::vector<std::string> calls;
        bool closed;
    };
    const Row rows[] = {
        {"accepted", "Login", true, {"validate", "save"}, true},
        {"refused by validation", "Login", false, {"validate"}, false},
        {"cancelled", "Cancel", true, {"cancel (hiding)"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        owner = FormOwner::create();
        owner->accept = row.accept;
        auto form = showForm({SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                                          SHKFormFieldTypeTextNoCorrect, std::nullopt)});
        form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
        ASSERT_TRUE(driver.type("bob"));
        ASSERT_TRUE(driver.press(row.button));
        driver.advance(1);
        EXPECT_EQ(owner->calls, row.calls);
        if (row.accept && std::string(row.button) != "Cancel") {
            EXPECT_EQ(text(owner->values, "username"), "bob");
        }
        EXPECT_EQ(navigation->presentingViewController() == nullptr, row.closed);
        if (!row.closed) {
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            driver.advance(1);
        }
        // The sharer that holds a form reports its own dismissal; here nothing holds it.
        SHK::currentHelper()->viewWasDismissed();
    }
}

TEST_F(Form, TheKeyboardsDoneKeyValidates)
{
    owner->accept = false;
    auto form = showForm({SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                                      SHKFormFieldTypeTextNoCorrect, std::nullopt)});
    form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(driver.type("carol\n"));
    EXPECT_EQ(owner->calls, (std::vector<std::string>{"validate"}));
    EXPECT_EQ(text(owner->values, "username"), "carol");
}

TEST_F(Form, AutoSelectPutsTheCaretIntoTheFirstRow)
{
    auto form = SHKCustomFormController::create(ui::TableViewStyle::Grouped, std::string("Login"), "Login");
    form->setAutoSelect(true);
    form->addSection({SHKFormFieldSettings::label(std::string("Username"), std::string("username"),
                                                  SHKFormFieldTypeTextNoCorrect, std::nullopt)},
                     std::nullopt, std::nullopt);
    navigation = ui::NavigationController::create(form);
    show(navigation);
    auto cell = cellAt(*form, 0);
    ASSERT_TRUE(cell && cell->textField());
    EXPECT_TRUE(cell->textField()->isFirstResponder());
    ASSERT_TRUE(driver.type("dave"));
    EXPECT_EQ(text(form->formValues(), "username"), "dave");
}

TEST_F(Form, AnOptionRowShowsItsChoiceAndLeavesOutItsStartText)
{
    auto info = fixedOptions({"Red", "Green", "Blue"}, "-1", true);
    auto form = showForm({
        SHKFormFieldSettings::label(std::string("Colour"), std::string("colour"),
                                    SHKFormFieldTypeOptionPicker, std::string("None"), info),
    });
    auto cell = cellAt(*form, 0);
    EXPECT_EQ(cell->reuseIdentifier(), "OptionCell");
    EXPECT_EQ(cell->detailTextLabel()->text(), "None");
    EXPECT_EQ(cell->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);
    EXPECT_FALSE(form->formValues()->objectForKey("colour"));

    // Two choices, then Done: the row shows them and the form reads them.
    form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    driver.advance(1);
    auto list = ns::cast<SHKFormOptionController>(navigation->topViewController());
    ASSERT_TRUE(list);
    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 2));
    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(driver.press("Done"));
    driver.advance(1);
    EXPECT_EQ(navigation->topViewController(), form);
    EXPECT_EQ(text(form->values(), "colour"), "Blue,Red");
    EXPECT_EQ(cellAt(*form, 0)->detailTextLabel()->text(), "Blue,Red");
    EXPECT_EQ(text(form->formValues(), "colour"), "Blue,Red");

    // Taking both back picks "-1": the value goes and the start text shows again.
    form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    driver.advance(1);
    list = ns::cast<SHKFormOptionController>(navigation->topViewController());
    ASSERT_TRUE(list);
    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 2));
    list->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(driver.press("Done"));
    driver.advance(1);
    EXPECT_FALSE(form->values()->objectForKey("colour"));
    EXPECT_EQ(cellAt(*form, 0)->detailTextLabel()->text(), "None");
    EXPECT_FALSE(form->formValues()->objectForKey("colour"));

    // A cancelled list changes nothing.
    form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    driver.advance(1);
    ASSERT_TRUE(driver.press("Cancel"));
    driver.advance(1);
    EXPECT_EQ(navigation->topViewController(), form);
    EXPECT_FALSE(form->formValues()->objectForKey("colour"));
    EXPECT_EQ(owner->calls, std::vector<std::string>{});
}

TEST_F(Form, AnOptionRowScrolledAwayDoesNotStoreItsStartText)
{
    std::vector<ns::Ref<SHKFormFieldSettings>> rows;
    rows.push_back(SHKFormFieldSettings::label(std::string("Colour"), std::string("colour"),
                                               SHKFormFieldTypeOptionPicker, std::string("None"),
                                               fixedOptions({"Red", "Green"}, "-1")));
    for (int i = 0; i < 20; ++i)
        rows.push_back(SHKFormFieldSettings::label("Field " + std::to_string(i), "key" + std::to_string(i),
                                                   SHKFormFieldTypeText, std::nullopt));
    auto form = showForm(rows);
    auto table = form->tableView();
    table->scrollToRowAtIndexPath(ns::IndexPath(0, 20), ui::TableViewScrollPosition::Bottom, false);
    driver.settle();
    ASSERT_EQ(cellAt(*form, 0), nullptr);
    EXPECT_FALSE(form->values()->objectForKey("colour"));
    EXPECT_FALSE(form->formValues()->objectForKey("colour"));
    table->scrollToRowAtIndexPath(ns::IndexPath(0, 0), ui::TableViewScrollPosition::Top, false);
    driver.settle();
    EXPECT_EQ(cellAt(*form, 0)->detailTextLabel()->text(), "None");
    EXPECT_FALSE(form->formValues()->objectForKey("colour"));
}

TEST_F(Form, AnOptionRowWithAStoredChoiceShowsItsText)
{
    auto form = showForm({
        SHKFormFieldSettings::label(std::string("Colour"), std::string("colour"),
                                    SHKFormFieldTypeOptionPicker, std::string("None"),
                                    fixedOptions({"Red", "Green", "Blue"}, "1")),
    });
    EXPECT_EQ(cellAt(*form, 0)->detailTextLabel()->text(), "Green");
    EXPECT_EQ(text(form->formValues(), "colour"), "Green");
}
