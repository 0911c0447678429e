#pragma once

#include "uikit/Control.h"

namespace ui {

class Color;

// An on/off switch of fixed size; a tap flips it and sends value-changed.
class Switch : public Control
{
public:
    static ns::Ref<Switch> create() { return ns::Factory<Switch>::make(); }
    static ns::Ref<Switch> create(cg::Rect frame) { return ns::Factory<Switch>::make(frame); }

    bool isOn() const { return m_on; }
    void setOn(bool on) { setOn(on, false); }
    void setOn(bool on, bool animated);
    const ns::Ref<Color>& onTintColor() const { return m_onTintColor; }
    void setOnTintColor(ns::Ref<Color> color) { m_onTintColor = std::move(color); }

    cg::Size sizeThatFits(cg::Size) const override { return {79, 27}; }
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UISwitch"; }

protected:
    Switch();
    explicit Switch(cg::Rect frame);
    friend ns::Factory<Switch>;

    void didTapInside() override;

private:
    bool m_on = false;
    ns::Ref<Color> m_onTintColor;
};

} // namespace ui
