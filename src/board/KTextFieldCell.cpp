#include "board/KTextFieldCell.h"

#include "uikit/Color.h"
#include "uikit/Label.h"
#include "uikit/TableView.h"

namespace {
constexpr int ReturnKeyNext = 4;
}

KTextFieldCell::KTextFieldCell(ui::TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
    : ui::TableViewCell(style, std::move(reuseIdentifier))
{
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    m_textField = ui::TextField::create();
    m_textField->setReturnKeyType(ReturnKeyNext);
    addSubview(m_textField);
}

ns::Ref<KTextFieldCell> KTextFieldCell::create(ui::TableViewCellStyle style,
                                               std::optional<std::string> reuseIdentifier)
{
    auto cell = ns::Factory<KTextFieldCell>::make(style, std::move(reuseIdentifier));
    cell->m_textField->setDelegate(cell);
    return cell;
}

void KTextFieldCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    cg::Rect content = contentView()->frame();
    m_textField->setFrame(cg::makeRect(content.origin.x + 110, content.origin.y, content.size.width - 120,
                                       content.size.height));
}

void KTextFieldCell::textFieldDidBeginEditing(ui::TextField&)
{
    if (auto table = tableView())
        table->setContentOffset(cg::makePoint(0, 0), true);
}

void KTextFieldCell::textFieldDidEndEditing(ui::TextField&)
{
    if (auto delegate = m_delegate.lock())
        delegate->textFieldCellDidEndEditing(*this);
}

bool KTextFieldCell::textFieldShouldReturn(ui::TextField&)
{
    if (auto delegate = m_delegate.lock())
        delegate->textFieldCellWillReturn(*this);
    return false;
}

void KTextFieldCell::setEnabled(bool enabled)
{
    textLabel()->setEnabled(enabled);
    m_textField->setEnabled(enabled);
    m_textField->setTextColor(enabled ? ui::Color::colorWithRed(0.285f, 0.376f, 0.541f, 1.0f)
                                      : ui::Color::colorWithRed(0.6f, 0.6f, 0.6f, 1.0f));
}
