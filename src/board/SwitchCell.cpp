#include "board/SwitchCell.h"

#include "uikit/Label.h"

SwitchCell::SwitchCell(std::string label, std::optional<std::string> reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier))
{
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    textLabel()->setText(std::move(label));
    m_switchControl = ui::Switch::create();
    addSubview(m_switchControl);
}

void SwitchCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    cg::Rect content = contentView()->frame();
    cg::Size size = m_switchControl->sizeThatFits(cg::makeSize(0, 0));
    m_switchControl->setFrame(cg::makeRect(content.origin.x + content.size.width - size.width - 10,
                                           content.origin.y + content.size.height / 2 - size.height / 2,
                                           size.width, size.height));
}

void SwitchCell::setEnabled(bool enabled)
{
    textLabel()->setEnabled(enabled);
    m_switchControl->setEnabled(enabled);
}
