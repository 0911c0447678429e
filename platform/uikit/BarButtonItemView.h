#pragma once

#include "uikit/Button.h"

namespace ui {

class BarButtonItem;

// The button a toolbar or navigation bar shows for one of its items; a tap presses the item.
class BarButtonItemView : public Button
{
public:
    static ns::Ref<BarButtonItemView> create(const ns::Ref<BarButtonItem>& item)
    {
        return ns::Factory<BarButtonItemView>::make(item);
    }

    ns::Ref<BarButtonItem> item() const { return m_item.lock(); }
    // The width the item asks for at the bar's height.
    static cg::Float preferredWidth(const BarButtonItem& item);
    void drawRect(cg::Context& context, cg::Rect rect) override;
    // Takes up the item's present title, image and enabled state at every layout pass.
    void layoutSubviews() override;

    std::string className() const override { return "UIToolbarButton"; }

protected:
    explicit BarButtonItemView(const ns::Ref<BarButtonItem>& item);
    friend ns::Factory<BarButtonItemView>;

    void didTapInside() override;

private:
    ns::Weak<BarButtonItem> m_item;
};

} // namespace ui
