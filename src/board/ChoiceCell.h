#pragma once

#include "uikit/TableViewCell.h"

#include <cstdint>
#include <string>
#include <vector>

// A row reading "Prefix: choice" that leads to the list of choices.
class ChoiceCell : public ui::TableViewCell
{
public:
    static ns::Ref<ChoiceCell> create(std::string label, std::vector<std::string> choices,
                                      int32_t selectedIndex)
    {
        return ns::Factory<ChoiceCell>::make(std::move(label), std::move(choices), selectedIndex);
    }

    const std::string& prefix() const { return m_prefix; }
    void setPrefix(std::string prefix) { m_prefix = std::move(prefix); }
    const std::vector<std::string>& choices() const { return m_choices; }
    void setChoices(std::vector<std::string> choices) { m_choices = std::move(choices); }
    int32_t selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(int32_t index);
    void setEnabled(bool enabled);

    std::string className() const override { return "ChoiceCell"; }

protected:
    ChoiceCell(std::string label, std::vector<std::string> choices, int32_t selectedIndex);
    friend ns::Factory<ChoiceCell>;

private:
    std::string m_prefix;
    std::vector<std::string> m_choices;
    int32_t m_selectedIndex = 0;
};
