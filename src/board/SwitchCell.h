#pragma once

#include "uikit/Switch.h"
#include "uikit/TableViewCell.h"

// A settings row with a label and an on/off switch at its right edge.
class SwitchCell : public ui::TableViewCell
{
public:
    static ns::Ref<SwitchCell> create(std::string label, std::optional<std::string> reuseIdentifier)
    {
        return ns::Factory<SwitchCell>::make(std::move(label), std::move(reuseIdentifier));
    }

    const ns::Ref<ui::Switch>& switchControl() const { return m_switchControl; }
    void setSwitchControl(ns::Ref<ui::Switch> control) { m_switchControl = std::move(control); }

    void layoutSubviews() override;
    void setEnabled(bool enabled);

    std::string className() const override { return "SwitchCell"; }

protected:
    SwitchCell(std::string label, std::optional<std::string> reuseIdentifier);
    friend ns::Factory<SwitchCell>;

private:
    ns::Ref<ui::Switch> m_switchControl;
};
