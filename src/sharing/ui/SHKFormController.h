#pragma once

#include "sharing/ui/SHKFormOptionController.h"
#include "uikit/TableViewController.h"
#include "uikit/TextField.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class SHKFormController;
class SHKFormFieldSettings;

namespace ns {
class MutableDictionary;
}

// One section of a form: its rows, with an optional header and footer.
struct SHKFormSection
{
    std::vector<ns::Ref<SHKFormFieldSettings>> rows;
    std::optional<std::string> header;
    std::optional<std::string> footer;
};

// A sharer's questions to the user (a login, share options) as a grouped table of text fields, secure
// fields, switches and option rows, with Cancel on the left and a save button on the right. The form
// knows nothing of what it edits: it hands itself to its delegate's validate, save and cancel operations,
// and the delegate reads the entered values back with formValues.
class SHKFormController : public ui::TableViewController,
                          public ui::TextFieldDelegate,
                          public SHKFormOptionControllerClient
{
public:
    // An operation of the delegate that takes the form (a selector): the delegate is passed in.
    using Selector = std::function<void(ns::Object& delegate, SHKFormController& form)>;
    // The selector for an operation of the delegate's class T; it does nothing for a delegate of another
    // class.
    template <class T> static Selector selector(void (T::*operation)(SHKFormController&))
    {
        return [operation](ns::Object& delegate, SHKFormController& form) {
            if (auto* target = dynamic_cast<T*>(&delegate))
                (target->*operation)(form);
        };
    }

    static ns::Ref<SHKFormController> create(ui::TableViewStyle style, std::optional<std::string> title,
                                             std::string rightButtonTitle);

    // Not retained.
    ns::Id delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Id& delegate) { m_delegate = delegate; }
    const Selector& validateSelector() const { return m_validateSelector; }
    void setValidateSelector(Selector selector) { m_validateSelector = std::move(selector); }
    const Selector& saveSelector() const { return m_saveSelector; }
    void setSaveSelector(Selector selector) { m_saveSelector = std::move(selector); }
    const Selector& cancelSelector() const { return m_cancelSelector; }
    void setCancelSelector(Selector selector) { m_cancelSelector = std::move(selector); }

    const std::vector<SHKFormSection>& sections() const { return m_sections; }
    void setSections(std::vector<SHKFormSection> sections) { m_sections = std::move(sections); }
    // Key to text: values typed into rows that have since left the screen, and chosen options.
    const ns::Ref<ns::MutableDictionary>& values() const { return m_values; }
    void setValues(ns::Ref<ns::MutableDictionary> values);
    // The common width of the captions, measured over the first section's text rows.
    float labelWidth() const { return m_labelWidth; }
    void setLabelWidth(float width) { m_labelWidth = width; }
    const ns::Ref<ui::TextField>& activeField() const { return m_activeField; }
    void setActiveField(ns::Ref<ui::TextField> field) { m_activeField = std::move(field); }
    // Selects the first row (which puts the caret into it) as soon as the form is on screen.
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool autoSelect) { m_autoSelect = autoSelect; }

    void addSection(std::vector<ns::Ref<SHKFormFieldSettings>> rows, std::optional<std::string> header,
                    std::optional<std::string> footer);

    // The save button: the field being edited gives up the keyboard, then the delegate validates (and,
    // accepting, calls saveForm).
    void validateForm();
    // The delegate saves, then the form closes.
    void saveForm();
    // The form closes, then the delegate hears of the cancel.
    void cancel();
    // Hides the form's screen through the facade.
    void close();

    // Key to text for the rows of section 0, or of a section: rows on screen are read from their cells,
    // the others from values. An option row still showing its start text is left out.
    ns::Ref<ns::MutableDictionary> formValues();
    ns::Ref<ns::MutableDictionary> formValuesForSection(std::size_t section);

    // Whether the configuration asks for placeholders instead of captions (read at each use).
    static bool usePlaceholders();

    // Text fields.
    bool textFieldShouldReturn(ui::TextField& textField) override;
    void textFieldDidBeginEditing(ui::TextField& textField) override;
    // The option list.
    void SHKFormOptionControllerPickedOption(SHKFormOptionController& optionController,
                                             const std::optional<std::string>& pickedOption) override;

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }

    long numberOfSectionsInTableView(ui::TableView&) override;
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section) override;
    std::optional<std::string> tableViewTitleForFooterInSection(ui::TableView&, std::size_t section) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                              const ns::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ns::IndexPath& indexPath) override;

    std::string className() const override { return "SHKFormController"; }

protected:
    SHKFormController(ui::TableViewStyle style, std::optional<std::string> title,
                      std::string rightButtonTitle);
    friend ns::Factory<SHKFormController>;
    // Puts the Cancel and save buttons; create() runs it once the form is shared.
    void setUpBarButtons();
    // Sends a selector of the delegate with this form.
    void tellDelegate(const Selector& selector);
    ns::Ref<SHKFormFieldSettings> rowAt(std::size_t section, std::size_t row) const;

private:
    ns::Weak<ns::Object> m_delegate;
    Selector m_validateSelector;
    Selector m_saveSelector;
    Selector m_cancelSelector;
    std::vector<SHKFormSection> m_sections;
    ns::Ref<ns::MutableDictionary> m_values;
    float m_labelWidth = 0;
    ns::Ref<ui::TextField> m_activeField;
    bool m_autoSelect = false;
    std::string m_rightButtonTitle;
};

// The form the framework creates, so that an application can restyle it.
class SHKCustomFormController : public SHKFormController
{
public:
    static ns::Ref<SHKCustomFormController> create(ui::TableViewStyle style, std::optional<std::string> title,
                                                   std::string rightButtonTitle);

    std::string className() const override { return "SHKCustomFormController"; }

protected:
    using SHKFormController::SHKFormController;
    friend ns::Factory<SHKCustomFormController>;
};
