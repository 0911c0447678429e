#include "sharing/ui/SHKFormFieldCell.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/ui/SHKFormController.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/Switch.h"
#include "uikit/TextField.h"

#include <cmath>

namespace {

// The platform's values for the text traits a form sets.
constexpr int AutocapitalizationNone = 0;
constexpr int AutocapitalizationSentences = 2;
constexpr int AutocorrectionDefault = 0;
constexpr int AutocorrectionNo = 1;
constexpr int ReturnKeyDone = 9;
constexpr cg::Float FieldHeight = 25;

void takeOut(const ns::Ref<ui::View>& view)
{
    if (view && view->superview())
        view->removeFromSuperview();
}

void keepIn(const ns::Ref<ui::View>& container, const ns::Ref<ui::View>& view)
{
    if (view && view->superview() != container.get())
        container->addSubview(view);
}

} // namespace

SHKFormFieldCell::SHKFormFieldCell(std::optional<std::string> reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Value1, std::move(reuseIdentifier))
{
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);
}

ns::Ref<SHKFormFieldCell> SHKFormFieldCell::create(std::optional<std::string> reuseIdentifier)
{
    return ns::Factory<SHKFormFieldCell>::make(std::move(reuseIdentifier));
}

int SHKFormFieldCell::type() const
{
    return m_settings ? m_settings->type() : -1;
}

void SHKFormFieldCell::setSettings(ns::Ref<SHKFormFieldSettings> settings)
{
    m_settings = std::move(settings);
    setNeedsLayout();
}

void SHKFormFieldCell::setLabelWidth(float width)
{
    m_labelWidth = width;
    setNeedsLayout();
}

const ns::Ref<ui::TextField>& SHKFormFieldCell::getTextField()
{
    if (!m_textField) {
        m_textField = ui::TextField::create(cg::makeRect(0, 0, 0, FieldHeight));
        m_textField->setClearsOnBeginEditing(false);
        m_textField->setReturnKeyType(ReturnKeyDone);
        m_textField->setFont(ui::Font::systemFontOfSize(17));
        m_textField->setTextColor(ui::Color::darkGrayColor());
        if (auto form = m_form.lock())
            m_textField->setDelegate(form);
        if (m_tmpValue)
            m_textField->setText(*m_tmpValue);
    }
    return m_textField;
}

void SHKFormFieldCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    const auto& content = contentView();
    cg::Float w = content->bounds().size.width;
    cg::Float h = content->bounds().size.height;
    cg::Float left = m_labelWidth + 24;
    cg::Float width = w - 10 - 24 - m_labelWidth;
    ns::Ref<ui::View> caption = textLabel();
    ns::Ref<ui::View> detail = detailTextLabel();
    switch (type()) {
    case SHKFormFieldTypeText:
    case SHKFormFieldTypeTextNoCorrect:
    case SHKFormFieldTypePassword: {
        const auto& field = getTextField();
        bool plain = type() != SHKFormFieldTypeText;
        field->setSecureTextEntry(type() == SHKFormFieldTypePassword);
        field->setAutocapitalizationType(plain ? AutocapitalizationNone : AutocapitalizationSentences);
        field->setAutocorrectionType(plain ? AutocorrectionNo : AutocorrectionDefault);
        cg::Float fieldHeight = field->frame().size.height;
        field->setFrame(cg::makeRect(left, std::round(h / 2 - fieldHeight / 2) + 2, width, fieldHeight));
        keepIn(content, field);
        content->bringSubviewToFront(field.get());
        if (SHKFormController::usePlaceholders())
            takeOut(caption);
        else
            keepIn(content, caption);
        takeOut(m_toggle);
        takeOut(detail);
        break;
    }
    case SHKFormFieldTypeSwitch: {
        if (!m_toggle) {
            m_toggle = ui::Switch::create(cg::Rect{});
            content->addSubview(m_toggle);
            m_toggle->setOn(m_tmpValue && *m_tmpValue == "1", false);
        }
        cg::Size size = m_toggle->frame().size;
        m_toggle->setFrame(
            cg::makeRect(w - size.width - 10, std::round(h / 2 - size.height / 2), size.width, size.height));
        keepIn(content, m_toggle);
        keepIn(content, caption);
        takeOut(m_textField);
        takeOut(detail);
        break;
    }
    case SHKFormFieldTypeOptionPicker: {
        setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
        if (detail) {
            cg::Float labelHeight = detail->frame().size.height;
            detail->setFrame(cg::makeRect(left, std::round(h / 2 - labelHeight / 2) + 2, width, labelHeight));
            keepIn(content, detail);
        }
        keepIn(content, caption);
        takeOut(m_textField);
        takeOut(m_toggle);
        break;
    }
    default:
        takeOut(m_textField);
        takeOut(m_toggle);
        takeOut(detail);
        takeOut(caption);
        break;
    }
}

void SHKFormFieldCell::setValue(std::optional<std::string> value)
{
    m_tmpValue = std::move(value);
    switch (type()) {
    case SHKFormFieldTypeText:
    case SHKFormFieldTypeTextNoCorrect:
    case SHKFormFieldTypePassword:
        if (m_textField)
            m_textField->setText(m_tmpValue.value_or(""));
        break;
    case SHKFormFieldTypeOptionPicker:
        if (detailTextLabel())
            detailTextLabel()->setText(m_tmpValue);
        setNeedsLayout();
        break;
    case SHKFormFieldTypeSwitch:
        if (m_toggle)
            m_toggle->setOn(m_tmpValue && *m_tmpValue == "1", false);
        break;
    default:
        break;
    }
}

std::optional<std::string> SHKFormFieldCell::getValue() const
{
    switch (type()) {
    case SHKFormFieldTypeOptionPicker:
        return detailTextLabel() ? detailTextLabel()->text() : std::nullopt;
    case SHKFormFieldTypeSwitch:
        // Before the layout has made the switch, the value it will be given.
        if (!m_toggle)
            return std::string(m_tmpValue == "1" ? "1" : "0");
        return std::string(m_toggle->isOn() ? "1" : "0");
    default:
        if (!m_textField)
            return m_tmpValue;
        return m_textField->text();
    }
}

void SHKFormFieldCell::setSelected(bool selected, bool animated)
{
    ui::TableViewCell::setSelected(selected, animated);
    int kind = type();
    if (kind != SHKFormFieldTypeText && kind != SHKFormFieldTypeTextNoCorrect &&
        kind != SHKFormFieldTypePassword)
        return;
    if (selected) {
        // The field is placed by the layout: let it run first, so the caret goes into a field on screen.
        layoutIfNeeded();
        getTextField()->becomeFirstResponder();
    } else if (m_textField) {
        m_textField->resignFirstResponder();
    }
}

void SHKFormFieldCell::didMoveToSuperview()
{
    ui::TableViewCell::didMoveToSuperview();
    if (superview())
        return;
    // The table has put the cell aside: the row's value stays with the form until the row shows again.
    auto form = m_form.lock();
    if (!form || !m_settings || !m_settings->key() || !form->values())
        return;
    auto value = getValue();
    if (!value)
        return;
    // An option row showing its start text holds no choice.
    if (m_settings->type() == SHKFormFieldTypeOptionPicker && m_settings->start() == value)
        return;
    form->values()->setObject(ns::String::make(*value), *m_settings->key());
}
