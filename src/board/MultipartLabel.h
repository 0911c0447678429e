#pragma once

#include "uikit/View.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {
class Color;
class Font;
class Label;
} // namespace ui

// A row of labels side by side, each with its own text, font and colour, aligned as a whole by the
// row's content mode (centre, right or left; centre, bottom or top).
class MultipartLabel : public ui::View
{
public:
    static ns::Ref<MultipartLabel> create() { return ns::Factory<MultipartLabel>::make(); }
    static ns::Ref<MultipartLabel> create(cg::Rect frame) { return ns::Factory<MultipartLabel>::make(frame); }

    const ns::Ref<ui::View>& containerView() const { return m_containerView; }
    void setContainerView(ns::Ref<ui::View> view) { m_containerView = std::move(view); }
    const std::vector<ns::Ref<ui::Label>>& labels() const { return m_labels; }
    void setLabels(std::vector<ns::Ref<ui::Label>> labels) { m_labels = std::move(labels); }
    // The alignment of the row, numbered as the platform's content modes: 4 centre, 6 bottom, 8 right,
    // 10 top right, 11 bottom left, 12 bottom right; anything else is top left. It leaves the drawing of the
    // view itself alone.
    int32_t contentMode() const { return m_contentMode; }
    void setContentMode(int32_t mode) { m_contentMode = mode; }
    void setContentMode(ui::ContentMode mode) { m_contentMode = static_cast<int32_t>(mode); }

    // A fresh row of `count` empty labels.
    void updateNumberOfLabels(int count);
    // Outside 0 to count - 1 nothing changes; the row is laid out again either way.
    void setText(const std::string& text, int index);
    void setText(const std::string& text, const ns::Ref<ui::Font>& font, int index);
    void setText(const std::string& text, const ns::Ref<ui::Color>& color, int index);
    void setText(const std::string& text, const ns::Ref<ui::Font>& font, const ns::Ref<ui::Color>& color,
                 int index);
    void updateLayout();

    std::string className() const override { return "MultipartLabel"; }

protected:
    using ui::View::View;
    friend ns::Factory<MultipartLabel>;

    // The size the label's text takes, before it is cut to whole points.
    virtual cg::Size measuredSize(const ui::Label& label) const;

private:
    void setPart(const std::string& text, const ns::Ref<ui::Font>* font, const ns::Ref<ui::Color>* color,
                 int index);

    ns::Ref<ui::View> m_containerView;
    std::vector<ns::Ref<ui::Label>> m_labels;
    int32_t m_contentMode = 0;
};
