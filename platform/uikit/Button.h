#pragma once

#include "uikit/Control.h"

#include <map>
#include <optional>
#include <string>

namespace ui {

class Color;
class Image;
class ImageView;
class Label;

enum class ButtonType {
    Custom = 0,
    RoundedRect = 1,
    DetailDisclosure = 2,
    InfoLight = 3,
    InfoDark = 4,
    ContactAdd = 5
};

// A push button: a title and an image per control state, target-action on touch up inside.
class Button : public Control
{
public:
    static ns::Ref<Button> create() { return ns::Factory<Button>::make(); }
    static ns::Ref<Button> create(cg::Rect frame) { return ns::Factory<Button>::make(frame); }
    static ns::Ref<Button> buttonWithType(ButtonType type);

    ButtonType buttonType() const { return m_type; }

    void setTitle(std::optional<std::string> title, unsigned state = ControlStateNormal);
    std::optional<std::string> titleForState(unsigned state) const;
    void setTitleColor(ns::Ref<Color> color, unsigned state = ControlStateNormal);
    ns::Ref<Color> titleColorForState(unsigned state) const;
    void setImage(ns::Ref<Image> image, unsigned state = ControlStateNormal);
    ns::Ref<Image> imageForState(unsigned state) const;
    void setBackgroundImage(ns::Ref<Image> image, unsigned state = ControlStateNormal);
    ns::Ref<Image> backgroundImageForState(unsigned state) const;

    // What the button shows in its present state (falling back to the normal state's).
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    ns::Ref<Image> currentImage() const { return imageForState(state()); }
    ns::Ref<Image> currentBackgroundImage() const { return backgroundImageForState(state()); }

    const ns::Ref<Label>& titleLabel() const { return m_titleLabel; }
    const ns::Ref<ImageView>& imageView() const { return m_imageView; }

    bool showsTouchWhenHighlighted() const { return m_showsTouchWhenHighlighted; }
    void setShowsTouchWhenHighlighted(bool shows) { m_showsTouchWhenHighlighted = shows; }
    bool adjustsImageWhenHighlighted() const { return m_adjustsImageWhenHighlighted; }
    void setAdjustsImageWhenHighlighted(bool adjusts) { m_adjustsImageWhenHighlighted = adjusts; }

    void setEnabled(bool enabled) override;
    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;

    // The image beside the title, both centred.
    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;
    void drawRect(cg::Context& context, cg::Rect rect) override;

    std::string className() const override { return "UIButton"; }

protected:
    Button();
    explicit Button(cg::Rect frame);
    friend ns::Factory<Button>;

private:
    void refresh();

    ButtonType m_type = ButtonType::Custom;
    std::map<unsigned, std::string> m_titles;
    std::map<unsigned, ns::Ref<Color>> m_titleColors;
    std::map<unsigned, ns::Ref<Image>> m_images;
    std::map<unsigned, ns::Ref<Image>> m_backgroundImages;
    ns::Ref<Label> m_titleLabel;
    ns::Ref<ImageView> m_imageView;
    bool m_showsTouchWhenHighlighted = false;
    bool m_adjustsImageWhenHighlighted = true;
};

} // namespace ui
