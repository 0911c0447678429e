#include "board/TDBadgeCell.h"

#include "foundation/Clock.h"
#include "graphics/BitmapContext.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ns::Ref<TDBadgeCell> laidOutCell(std::optional<std::string> badge, bool accessory)
{
    auto cell = TDBadgeCell::create(ui::TableViewCellStyle::Subtitle, std::string("Cell"));
    cell->setFrame(cg::makeRect(0, 0, 320, 40));
    cell->textLabel()->setText(std::string("A rather long name that runs under the badge"));
    cell->detailTextLabel()->setText(std::string("555 0100 0200 0300 0400 0500 0600 0700 0800"));
    if (accessory)
        cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    cell->setBadgeString(std::move(badge));
    cell->layoutSubviews();
    return cell;
}

} // namespace

TEST(TDBadgeCell, BadgeFrameWithAndWithoutAccessory)
{
    cg::Float w = ui::sizeWithFont("mobile", *ui::Font::boldSystemFontOfSize(11)).width;
    struct Case
    {
        bool accessory;
        cg::Float inset;
    } cases[] = {{false, 6}, {true, 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.accessory ? "accessory" : "no accessory");
        auto cell = laidOutCell(std::string("mobile"), c.accessory);
        cg::Rect content = cell->contentView()->frame();
        cg::Rect badge = cell->badge()->frame();
        EXPECT_FALSE(cell->badge()->isHidden());
        EXPECT_DOUBLE_EQ(badge.origin.x, content.size.width - (w + c.inset));
        EXPECT_DOUBLE_EQ(badge.origin.y, std::round((content.size.height - 18) / 2));
        EXPECT_DOUBLE_EQ(badge.size.width, w + 13);
        EXPECT_DOUBLE_EQ(badge.size.height, 18);
        EXPECT_EQ(cell->badge()->badgeString(), std::optional<std::string>("mobile"));
        // A label reaching under the badge gives way to it.
        cg::Rect detail = cell->detailTextLabel()->frame();
        EXPECT_LT(detail.origin.x + detail.size.width, badge.origin.x);
    }
    // Against the content's right edge, the accessory moves the badge 19 points further left.
    auto offset = [](const ns::Ref<TDBadgeCell>& cell) {
        return cell->contentView()->frame().size.width - cell->badge()->frame().origin.x;
    };
    EXPECT_DOUBLE_EQ(offset(laidOutCell(std::string("mobile"), true)) -
                         offset(laidOutCell(std::string("mobile"), false)),
                     19);
}

TEST(TDBadgeCell, NoTextOrEditingHidesTheBadge)
{
    EXPECT_TRUE(laidOutCell(std::nullopt, false)->badge()->isHidden());
    auto cell = laidOutCell(std::string("work"), false);
    cell->setEditing(true, false);
    EXPECT_TRUE(cell->badge()->isHidden());
    cell->setEditing(false, false);
    EXPECT_FALSE(cell->badge()->isHidden());
}

TEST(TDBadgeCell, ShortLabelKeepsItsWidth)
{
    auto cell = TDBadgeCell::create(ui::TableViewCellStyle::Subtitle, std::string("Cell"));
    cell->setFrame(cg::makeRect(0, 0, 320, 40));
    cell->detailTextLabel()->setText(std::string("1"));
    cell->setBadgeString(std::string("x"));
    cell->layoutSubviews();
    cg::Rect detail = cell->detailTextLabel()->frame();
    cg::Float expected = ui::sizeWithFont("1", *cell->detailTextLabel()->font()).width;
    EXPECT_NEAR(detail.size.width, expected, 1);
}

TEST(TDBadgeCell, FillFollowsTheCellsState)
{
    auto cell = laidOutCell(std::string("home"), false);
    auto normal = cell->badge()->currentFill()->CGColor();
    EXPECT_NEAR(normal.red, 0.53, 1e-6);
    EXPECT_NEAR(normal.green, 0.6, 1e-6);
    EXPECT_NEAR(normal.blue, 0.738, 1e-6);

    cell->setShowShadow(true);
    cell->setHighlighted(true, false);
    EXPECT_EQ(cell->badge()->currentFill()->CGColor().red, 1.0f);
    EXPECT_TRUE(cell->badge()->parentShowsHighlight());

    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    EXPECT_NEAR(cell->badge()->currentFill()->CGColor().red, 0.53, 1e-6);
    EXPECT_FALSE(cell->badge()->parentShowsHighlight());
}

TEST(TDBadgeView, ZeroRadiusMeansFour)
{
    auto made = TDBadgeView::create(cg::makeRect(0, 0, 40, 18));
    TDBadgeView& view = *made;
    EXPECT_EQ(view.effectiveRadius(), 4.0f);
    view.setRadius(6);
    EXPECT_EQ(view.effectiveRadius(), 6.0f);
}

TEST(TDBadgeView, BadgeForgetsACellThatIsGone)
{
    ns::Ref<TDBadgeView> badge;
    {
        auto cell = laidOutCell(std::string("work"), false);
        badge = cell->badge();
        EXPECT_EQ(badge->parent(), cell.get());
    }
    EXPECT_EQ(badge->parent(), nullptr);
}

TEST(TDBadgeView, DrawsTheFillWithTheLettersCutOut)
{
    auto cell = laidOutCell(std::string("WWWW"), false);
    const auto& badge = cell->badge();
    cg::Rect frame = badge->frame();
    auto bitmap = cg::BitmapContext::create(static_cast<std::size_t>(frame.size.width),
                                            static_cast<std::size_t>(frame.size.height), 8, 0,
                                            cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    badge->drawRect(*bitmap, badge->bounds());
    // Past the rounded corner on the left edge: the fill.
    cg::Color edge = bitmap->pixel(1, static_cast<std::size_t>(frame.size.height / 2));
    EXPECT_NEAR(edge.red, 0.53, 0.02);
    EXPECT_NEAR(edge.blue, 0.738, 0.02);
    EXPECT_NEAR(edge.alpha, 1.0, 0.01);
    // Somewhere under the letters the fill is gone.
    bool cleared = false;
    for (std::size_t x = 7; x + 7 < bitmap->width(); ++x)
        for (std::size_t y = 4; y + 4 < bitmap->height(); ++y)
            cleared = cleared || bitmap->pixel(x, y).alpha < 0.2;
    EXPECT_TRUE(cleared);
    EXPECT_EQ(badge->layer()->cornerRadius(), 4);
    // The corner itself is outside the rounded fill.
    EXPECT_LT(bitmap->pixel(0, 0).alpha, 0.5);
}
