#pragma once

#include "uikit/TableViewCell.h"
#include "uikit/TextField.h"

class KTextFieldCell;

class KTextFieldCellDelegate
{
public:
    virtual ~KTextFieldCellDelegate() = default;
    virtual void textFieldCellWillReturn(KTextFieldCell& cell) = 0;
    // Editing ended without the return key (another field, the keyboard put away).
    virtual void textFieldCellDidEndEditing(KTextFieldCell&) {}
};

// A row with a label and a text field beside it.
class KTextFieldCell : public ui::TableViewCell, public ui::TextFieldDelegate
{
public:
    // A cell whose field reports to it (the field holds its delegate weakly, so the cell must be shared).
    static ns::Ref<KTextFieldCell> create(ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
                                          std::optional<std::string> reuseIdentifier = std::nullopt);

    using ui::TextFieldDelegate::textField;
    const ns::Ref<ui::TextField>& textField() const { return m_textField; }
    void setTextField(ns::Ref<ui::TextField> field) { m_textField = std::move(field); }
    ns::Ref<KTextFieldCellDelegate> textFieldCellDelegate() const { return m_delegate.lock(); }
    // Held weakly: the delegate (the editor) holds the cell.
    void setTextFieldCellDelegate(const ns::Ref<KTextFieldCellDelegate>& delegate) { m_delegate = delegate; }

    void layoutSubviews() override;
    void textFieldDidBeginEditing(ui::TextField&) override;
    void textFieldDidEndEditing(ui::TextField&) override;
    bool textFieldShouldReturn(ui::TextField&) override;
    void setEnabled(bool enabled);

    std::string className() const override { return "KTextFieldCell"; }

protected:
    KTextFieldCell(ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
                   std::optional<std::string> reuseIdentifier = std::nullopt);
    friend ns::Factory<KTextFieldCell>;

private:
    ns::Ref<ui::TextField> m_textField;
    ns::Weak<KTextFieldCellDelegate> m_delegate;
};
