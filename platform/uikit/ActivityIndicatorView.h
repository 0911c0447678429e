#pragma once

#include "uikit/View.h"

namespace ui {

class Color;

enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

// A spinner: shown while animating (or always, when it does not hide when stopped).
class ActivityIndicatorView : public View
{
public:
    static ns::Ref<ActivityIndicatorView>
    create(ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White)
    {
        return ns::Factory<ActivityIndicatorView>::make(style);
    }

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return m_style; }
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);
    const ns::Ref<Color>& color() const { return m_color; }
    void setColor(ns::Ref<Color> color) { m_color = std::move(color); }

    cg::Size sizeThatFits(cg::Size) const override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UIActivityIndicatorView"; }

protected:
    explicit ActivityIndicatorView(ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);
    friend ns::Factory<ActivityIndicatorView>;

private:
    ActivityIndicatorViewStyle m_style;
    bool m_animating = false;
    bool m_hidesWhenStopped = true;
    ns::Ref<Color> m_color;
};

} // namespace ui
