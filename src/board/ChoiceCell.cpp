#include "board/ChoiceCell.h"

#include "foundation/Format.h"
#include "uikit/Label.h"

ChoiceCell::ChoiceCell(std::string label, std::vector<std::string> choices, int32_t selectedIndex)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::nullopt), m_prefix(std::move(label)),
      m_choices(std::move(choices))
{
    setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    setSelectedIndex(selectedIndex);
}

void ChoiceCell::setSelectedIndex(int32_t index)
{
    // An index outside the choices shows the prefix alone rather than reading past the list.
    std::string choice = index >= 0 && static_cast<std::size_t>(index) < m_choices.size()
                             ? m_choices[static_cast<std::size_t>(index)]
                             : "";
    textLabel()->setText(ns::format("%@: %@", m_prefix, choice));
    m_selectedIndex = index;
}

void ChoiceCell::setEnabled(bool enabled)
{
    setSelectionStyle(enabled ? ui::TableViewCellSelectionStyle::Blue
                              : ui::TableViewCellSelectionStyle::None);
    textLabel()->setEnabled(enabled);
}
