#include "board/MultipartLabel.h"

#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <cmath>

namespace {

enum Alignment : int32_t {
    Center = 4,
    Bottom = 6,
    Right = 8,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

} // namespace

void MultipartLabel::updateNumberOfLabels(int count)
{
    if (m_containerView)
        m_containerView->removeFromSuperview();
    cg::Rect own = frame();
    m_containerView = ui::View::create(cg::makeRect(0, 0, own.size.width, own.size.height));
    addSubview(m_containerView);
    m_labels.clear();
    for (int i = 0; i < count; ++i) {
        auto label = ui::Label::create(cg::Rect{});
        m_containerView->addSubview(label);
        m_labels.push_back(label);
    }
    updateLayout();
}

void MultipartLabel::setText(const std::string& text, int index)
{
    setPart(text, nullptr, nullptr, index);
}

void MultipartLabel::setText(const std::string& text, const ns::Ref<ui::Font>& font, int index)
{
    setPart(text, &font, nullptr, index);
}

void MultipartLabel::setText(const std::string& text, const ns::Ref<ui::Color>& color, int index)
{
    setPart(text, nullptr, &color, index);
}

void MultipartLabel::setText(const std::string& text, const ns::Ref<ui::Font>& font,
                             const ns::Ref<ui::Color>& color, int index)
{
    setPart(text, &font, &color, index);
}

void MultipartLabel::setPart(const std::string& text, const ns::Ref<ui::Font>* font,
                             const ns::Ref<ui::Color>* color, int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_labels.size()) {
        auto& label = m_labels[static_cast<std::size_t>(index)];
        label->setText(text);
        if (font)
            label->setFont(*font);
        if (color)
            label->setTextColor(*color);
    }
    updateLayout();
}

cg::Size MultipartLabel::measuredSize(const ui::Label& label) const
{
    return ui::sizeWithFont(label.text().value_or(""), *label.font(), cg::makeSize(10000, 10000),
                            label.lineBreakMode());
}

void MultipartLabel::updateLayout()
{
    std::vector<cg::Size> sizes;
    sizes.reserve(m_labels.size());
    float total = 0;
    for (auto& label : m_labels) {
        cg::Size size = measuredSize(*label);
        size = cg::makeSize(std::trunc(size.width), std::trunc(size.height));
        sizes.push_back(size);
        total += size.width;
    }

    cg::Size own = frame().size;
    float base = 0;
    switch (m_contentMode) {
    case Center:
        base = (own.width - total) / 2;
        break;
    case Right:
    case TopRight:
    case BottomRight:
        base = own.width - total;
        break;
    default:
        break;
    }

    float x = 0;
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        float h = sizes[i].height;
        float y = 0;
        switch (m_contentMode) {
        case Center:
            y = (own.height - h) / 2;
            break;
        case Bottom:
        case BottomLeft:
        case BottomRight:
            y = own.height - h;
            break;
        default:
            break;
        }
        m_labels[i]->setFrame(cg::makeRect(std::trunc(base + x), std::trunc(y), sizes[i].width, h));
        x += sizes[i].width;
    }
}
