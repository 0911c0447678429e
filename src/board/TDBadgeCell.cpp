#include "board/TDBadgeCell.h"

#include "board/MultipartLabel.h"

#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/Screen.h"
#include "uikit/StringDrawing.h"

#include <cmath>

namespace {

constexpr float BadgeFontSize = 11;
constexpr cg::Float BadgeHeight = 18;

cg::Float badgeTextWidth(const std::string& text)
{
    return ui::sizeWithFont(text, *ui::Font::boldSystemFontOfSize(BadgeFontSize)).width;
}

void addRoundedRect(cg::Context& context, cg::Rect rect, cg::Float radius)
{
    cg::Float r = std::min<cg::Float>(radius, std::min(rect.size.width, rect.size.height) / 2);
    cg::Float x0 = rect.origin.x, y0 = rect.origin.y;
    cg::Float x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    context.beginPath();
    context.moveToPoint(x0 + r, y0);
    context.addArcToPoint(x1, y0, x1, y1, r);
    context.addArcToPoint(x1, y1, x0, y1, r);
    context.addArcToPoint(x0, y1, x0, y0, r);
    context.addArcToPoint(x0, y0, x1, y0, r);
    context.closePath();
}

} // namespace

TDBadgeView::TDBadgeView() : TDBadgeView(cg::Rect{})
{
}

TDBadgeView::TDBadgeView(cg::Rect frame) : ui::View(frame)
{
    setBackgroundColor(ui::Color::clearColor());
}

bool TDBadgeView::parentShowsHighlight() const
{
    return m_parent && m_parent->selectionStyle() != ui::TableViewCellSelectionStyle::None &&
           (m_parent->isHighlighted() || m_parent->isSelected());
}

ns::Ref<ui::Color> TDBadgeView::currentFill() const
{
    if (parentShowsHighlight())
        return m_badgeColorHighlighted ? m_badgeColorHighlighted
                                       : TDBadgeCell::defaultHighlightedBadgeColor();
    return m_badgeColor ? m_badgeColor : TDBadgeCell::defaultBadgeColor();
}

void TDBadgeView::drawRect(cg::Context& context, cg::Rect rect)
{
    std::string text = m_badgeString.value_or("");
    cg::Float width = badgeTextWidth(text);
    auto screen = ui::Screen::mainScreen();
    float scale = screen && screen->scale() == 2.0f ? 2.0f : 1.0f;
    cg::Float radius = effectiveRadius();

    // The fill with the letters punched out, drawn apart from what lies below so only the badge loses
    // its pixels under the text.
    context.saveGState();
    context.beginTransparencyLayer();
    context.setFillColor(currentFill()->CGColor());
    addRoundedRect(context, rect, radius);
    context.fillPath();
    context.setBlendMode(cg::BlendMode::Clear);
    ui::drawText(context, text, cg::makeRect(rect.origin.x + 6.5, rect.origin.y + 2, width + 12, BadgeHeight),
                 *ui::Font::boldSystemFontOfSize(BadgeFontSize), ui::LineBreakMode::Clip);
    context.setBlendMode(cg::BlendMode::Normal);
    context.endTransparencyLayer();
    context.restoreGState();

    layer()->setCornerRadius(radius * scale);
    if (parentShowsHighlight() && m_showShadow) {
        layer()->setShadowOffset(cg::makeSize(0, 1));
        layer()->setShadowRadius(1);
        layer()->setShadowOpacity(0.8f);
    } else {
        layer()->setShadowOffset(cg::makeSize(0, 0));
        layer()->setShadowRadius(0);
        layer()->setShadowOpacity(0);
    }
}

TDBadgeCell::TDBadgeCell(ui::TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
    : ui::TableViewCell(style, std::move(reuseIdentifier))
{
}

TDBadgeCell::~TDBadgeCell()
{
    if (m_badge)
        m_badge->setParent(nullptr);
}

ns::Ref<TDBadgeCell> TDBadgeCell::create(ui::TableViewCellStyle style,
                                         std::optional<std::string> reuseIdentifier)
{
    auto cell = ns::Factory<TDBadgeCell>::make(style, std::move(reuseIdentifier));
    cell->configureSelf();
    return cell;
}

ns::Ref<ui::Color> TDBadgeCell::defaultBadgeColor()
{
    return ui::Color::colorWithRed(0.53f, 0.6f, 0.738f, 1.0f);
}

ns::Ref<ui::Color> TDBadgeCell::defaultHighlightedBadgeColor()
{
    return ui::Color::colorWithRed(1.0f, 1.0f, 1.0f, 1.0f);
}

void TDBadgeCell::configureSelf()
{
    m_badge = TDBadgeView::create(cg::Rect{});
    m_badge->setParent(this);
    // The name in coloured parts lies over the text label.
    m_multipartLabel = MultipartLabel::create(textLabel()->frame());
    m_multipartLabel->setBackgroundColor(textLabel()->backgroundColor());
    contentView()->addSubview(m_badge);
    textLabel()->addSubview(m_multipartLabel);
}

void TDBadgeCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    if (!m_badgeString) {
        m_badge->setHidden(true);
        return;
    }
    m_badge->setHidden(isEditing());

    if (auto image = imageView()) {
        image->setClipsToBounds(true);
        image->layer()->setCornerRadius(10);
        image->layer()->setBorderColor(ui::Color::blackColor());
        image->layer()->setBorderWidth(1.0);
    }

    cg::Float width = badgeTextWidth(*m_badgeString);
    bool accessory = accessoryType() != ui::TableViewCellAccessoryType::None || accessoryView();
    cg::Rect content = contentView()->frame();
    cg::Rect frame =
        cg::makeRect(content.size.width - (width + (accessory ? 25 : 6)),
                     std::round((content.size.height - BadgeHeight) / 2), width + 13, BadgeHeight);
    m_badge->setShowShadow(m_showShadow);
    m_badge->setFrame(frame);
    m_badge->setBadgeString(m_badgeString);

    // Labels running under the badge give way to it.
    ns::Ref<ui::View> labels[] = {textLabel(), m_multipartLabel, detailTextLabel()};
    for (const auto& label : labels) {
        if (!label)
            continue;
        cg::Rect f = label->frame();
        if (frame.origin.x <= f.origin.x + f.size.width) {
            f.size.width = f.size.width - (width + 13) - 10;
            label->setFrame(f);
        }
    }
    m_multipartLabel->sizeToFit();
    textLabel()->sizeToFit();

    m_badge->setBadgeColorHighlighted(m_badgeColorHighlighted ? m_badgeColorHighlighted
                                                              : defaultHighlightedBadgeColor());
    m_badge->setBadgeColor(m_badgeColor ? m_badgeColor : defaultBadgeColor());
    m_badge->setNeedsDisplay();
}

void TDBadgeCell::setHighlighted(bool highlighted, bool animated)
{
    ui::TableViewCell::setHighlighted(highlighted, animated);
    if (m_badge)
        m_badge->setNeedsDisplay();
    if (m_showShadow) {
        ns::Ref<ui::View> labels[] = {textLabel(), m_multipartLabel, detailTextLabel()};
        for (const auto& label : labels) {
            if (!label)
                continue;
            label->layer()->setShadowOffset(cg::makeSize(0, 1));
            label->layer()->setShadowRadius(1);
            label->layer()->setShadowOpacity(0.8f);
        }
    }
}

void TDBadgeCell::setSelected(bool selected, bool animated)
{
    ui::TableViewCell::setSelected(selected, animated);
    if (m_badge)
        m_badge->setNeedsDisplay();
}

void TDBadgeCell::setEditing(bool editing, bool animated)
{
    ui::TableViewCell::setEditing(editing, animated);
    if (m_badge) {
        m_badge->setHidden(editing);
        m_badge->setNeedsDisplay();
    }
    setNeedsDisplay();
}
