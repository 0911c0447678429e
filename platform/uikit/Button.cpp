#include "uikit/Button.h"

#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <cmath>

namespace ui {
namespace {

template <class T> T lookup(const std::map<unsigned, T>& table, unsigned state)
{
    // The exact state, then highlighted or selected alone, then normal.
    if (auto found = table.find(state); found != table.end())
        return found->second;
    for (unsigned part :
         {unsigned(ControlStateHighlighted), unsigned(ControlStateSelected), unsigned(ControlStateDisabled)})
        if (state & part)
            if (auto found = table.find(part); found != table.end())
                return found->second;
    if (auto found = table.find(ControlStateNormal); found != table.end())
        return found->second;
    return T{};
}

} // namespace

Button::Button() : Button(cg::Rect{})
{
}

Button::Button(cg::Rect frame)
    : Control(frame), m_titleLabel(Label::create()), m_imageView(ImageView::create())
{
    m_titleLabel->setBackgroundColor(nullptr);
    m_titleLabel->setFont(Font::boldSystemFontOfSize(15));
    m_titleLabel->setTextColor(Color::whiteColor());
    m_titleLabel->setTextAlignment(TextAlignment::Center);
    m_titleLabel->setLineBreakMode(LineBreakMode::MiddleTruncation);
    m_imageView->setContentMode(ContentMode::Center);
    addSubview(m_imageView);
    addSubview(m_titleLabel);
    setOpaque(false);
}

ns::Ref<Button> Button::buttonWithType(ButtonType type)
{
    auto button = Button::create();
    button->m_type = type;
    if (type == ButtonType::RoundedRect) {
        button->setTitleColor(Color::colorWithRed(0.196f, 0.31f, 0.522f, 1), ControlStateNormal);
        button->setTitleColor(Color::whiteColor(), ControlStateHighlighted);
    }
    button->refresh();
    return button;
}

void Button::setTitle(std::optional<std::string> title, unsigned state)
{
    if (title)
        m_titles[state] = *title;
    else
        m_titles.erase(state);
    refresh();
}

std::optional<std::string> Button::titleForState(unsigned state) const
{
    if (auto found = m_titles.find(state); found != m_titles.end())
        return found->second;
    for (unsigned part :
         {unsigned(ControlStateHighlighted), unsigned(ControlStateSelected), unsigned(ControlStateDisabled)})
        if (state & part)
            if (auto found = m_titles.find(part); found != m_titles.end())
                return found->second;
    if (auto found = m_titles.find(ControlStateNormal); found != m_titles.end())
        return found->second;
    return std::nullopt;
}

void Button::setTitleColor(ns::Ref<Color> color, unsigned state)
{
    m_titleColors[state] = std::move(color);
    refresh();
}

ns::Ref<Color> Button::titleColorForState(unsigned state) const
{
    return lookup(m_titleColors, state);
}

void Button::setImage(ns::Ref<Image> image, unsigned state)
{
    m_images[state] = std::move(image);
    refresh();
}

ns::Ref<Image> Button::imageForState(unsigned state) const
{
    return lookup(m_images, state);
}

void Button::setBackgroundImage(ns::Ref<Image> image, unsigned state)
{
    m_backgroundImages[state] = std::move(image);
    refresh();
}

ns::Ref<Image> Button::backgroundImageForState(unsigned state) const
{
    return lookup(m_backgroundImages, state);
}

void Button::setEnabled(bool enabled)
{
    Control::setEnabled(enabled);
    refresh();
}

void Button::setSelected(bool selected)
{
    Control::setSelected(selected);
    refresh();
}

void Button::setHighlighted(bool highlighted)
{
    Control::setHighlighted(highlighted);
    refresh();
}

void Button::refresh()
{
    m_titleLabel->setText(currentTitle());
    if (auto color = titleColorForState(state()))
        m_titleLabel->setTextColor(color);
    m_titleLabel->setEnabled(isEnabled());
    m_imageView->setImage(currentImage());
    setNeedsLayout();
    setNeedsDisplay();
}

void Button::layoutSubviews()
{
    cg::Rect b = bounds();
    cg::Size imageSize = m_imageView->image() ? m_imageView->image()->size() : cg::Size{};
    auto title = currentTitle();
    cg::Size titleSize = title && !title->empty() ? sizeWithFont(*title, *m_titleLabel->font()) : cg::Size{};
    titleSize.width = std::min(titleSize.width, std::max<cg::Float>(0, b.size.width - imageSize.width));
    cg::Float total = imageSize.width + titleSize.width;
    cg::Float x = b.origin.x + std::round((b.size.width - total) / 2);
    m_imageView->setFrame(cg::makeRect(x, b.origin.y + std::round((b.size.height - imageSize.height) / 2),
                                       imageSize.width, imageSize.height));
    m_titleLabel->setFrame(cg::makeRect(x + imageSize.width,
                                        b.origin.y + std::round((b.size.height - titleSize.height) / 2),
                                        titleSize.width, titleSize.height));
}

cg::Size Button::sizeThatFits(cg::Size) const
{
    cg::Size imageSize = currentImage() ? currentImage()->size() : cg::Size{};
    auto title = currentTitle();
    cg::Size titleSize = title && !title->empty() ? sizeWithFont(*title, *m_titleLabel->font()) : cg::Size{};
    cg::Size size{imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height)};
    if (auto background = currentBackgroundImage()) {
        size.width = std::max(size.width, background->size().width);
        size.height = std::max(size.height, background->size().height);
    }
    if (m_type == ButtonType::RoundedRect) {
        size.width += 20;
        size.height = std::max<cg::Float>(size.height + 14, 37);
    }
    return size;
}

void Button::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = bounds();
    if (auto background = currentBackgroundImage()) {
        background->drawInContext(context, b);
        return;
    }
    if (m_type != ButtonType::RoundedRect)
        return;
    // A white rounded rectangle with a grey edge; blue while pressed.
    cg::Float r = std::min<cg::Float>(8, std::min(b.size.width, b.size.height) / 2);
    cg::Rect box = cg::inset(b, 0.5f, 0.5f);
    context.beginPath();
    context.moveToPoint(box.minX() + r, box.minY());
    context.addArcToPoint(box.maxX(), box.minY(), box.maxX(), box.maxY(), r);
    context.addArcToPoint(box.maxX(), box.maxY(), box.minX(), box.maxY(), r);
    context.addArcToPoint(box.minX(), box.maxY(), box.minX(), box.minY(), r);
    context.addArcToPoint(box.minX(), box.minY(), box.maxX(), box.minY(), r);
    context.closePath();
    if (isHighlighted())
        context.setRGBFillColor(0.02f, 0.43f, 0.9f, 1);
    else
        context.setRGBFillColor(1, 1, 1, 1);
    context.setRGBStrokeColor(0.55f, 0.55f, 0.6f, 1);
    context.setLineWidth(1);
    // Fill then stroke the same outline.
    cg::Point start = {box.minX() + r, box.minY()};
    context.fillPath();
    context.beginPath();
    context.moveToPoint(start.x, start.y);
    context.addArcToPoint(box.maxX(), box.minY(), box.maxX(), box.maxY(), r);
    context.addArcToPoint(box.maxX(), box.maxY(), box.minX(), box.maxY(), r);
    context.addArcToPoint(box.minX(), box.maxY(), box.minX(), box.minY(), r);
    context.addArcToPoint(box.minX(), box.minY(), box.maxX(), box.minY(), r);
    context.closePath();
    context.strokePath();
}

} // namespace ui
