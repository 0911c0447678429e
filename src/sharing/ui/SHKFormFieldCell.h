#pragma once

#include "uikit/TableViewCell.h"

#include <optional>
#include <string>

class SHKFormController;
class SHKFormFieldSettings;

namespace ui {
class Switch;
class TextField;
} // namespace ui

// One row of a form (value-1 style: caption left, detail right). By its row's type it shows a text field
// after the common caption width, a switch at the right edge, or the chosen option(s) in its detail label.
// The last value given is kept, so that a control made later shows it.
class SHKFormFieldCell : public ui::TableViewCell
{
public:
    static ns::Ref<SHKFormFieldCell> create(std::optional<std::string> reuseIdentifier);

    const ns::Ref<SHKFormFieldSettings>& settings() const { return m_settings; }
    // Asks for a new layout.
    void setSettings(ns::Ref<SHKFormFieldSettings> settings);
    float labelWidth() const { return m_labelWidth; }
    void setLabelWidth(float width);
    const ns::Ref<ui::TextField>& textField() const { return m_textField; }
    void setTextField(ns::Ref<ui::TextField> field) { m_textField = std::move(field); }
    // The text field, made on first use.
    const ns::Ref<ui::TextField>& getTextField();
    const ns::Ref<ui::Switch>& toggle() const { return m_toggle; }
    void setToggle(ns::Ref<ui::Switch> toggle) { m_toggle = std::move(toggle); }
    const std::optional<std::string>& tmpValue() const { return m_tmpValue; }
    void setTmpValue(std::optional<std::string> value) { m_tmpValue = std::move(value); }
    // Not retained.
    ns::Ref<SHKFormController> form() const { return m_form.lock(); }
    void setForm(const ns::Ref<SHKFormController>& form) { m_form = form; }

    // Shows the text: in the text field (when there is one) for text rows, in the detail label for option
    // rows, and as the switch's state ("1" on, anything else off) for switch rows.
    void setValue(std::optional<std::string> value);
    // The shown value: the detail label's text for option rows, "1" or "0" for switch rows, the text
    // field's text otherwise; before the layout has made the control, the value it will show.
    std::optional<std::string> getValue() const;

    void layoutSubviews() override;
    // Selecting puts the caret into the text field; deselecting takes it away. No selection is drawn.
    void setSelected(bool selected, bool animated) override;
    // Leaving its table, the row's value stays with the form.
    void didMoveToSuperview() override;

    std::string className() const override { return "SHKFormFieldCell"; }

protected:
    explicit SHKFormFieldCell(std::optional<std::string> reuseIdentifier);
    friend ns::Factory<SHKFormFieldCell>;

private:
    int type() const;

    ns::Ref<SHKFormFieldSettings> m_settings;
    float m_labelWidth = 0;
    ns::Ref<ui::TextField> m_textField;
    ns::Ref<ui::Switch> m_toggle;
    std::optional<std::string> m_tmpValue;
    ns::Weak<SHKFormController> m_form;
};

// The row the framework creates, so that an application can restyle it.
class SHKCustomFormFieldCell : public SHKFormFieldCell
{
public:
    static ns::Ref<SHKCustomFormFieldCell> create(std::optional<std::string> reuseIdentifier)
    {
        return ns::Factory<SHKCustomFormFieldCell>::make(std::move(reuseIdentifier));
    }

    std::string className() const override { return "SHKCustomFormFieldCell"; }

protected:
    using SHKFormFieldCell::SHKFormFieldCell;
    friend ns::Factory<SHKCustomFormFieldCell>;
};
