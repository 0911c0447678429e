#include "UIFixture.h"

#include <cmath>
#include <numbers>

using cg::AffineTransform;

namespace {

void expectRect(cg::Rect actual, cg::Rect expected)
{
    EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-3);
    EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-3);
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-3);
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-3);
}

} // namespace

TEST(ViewGeometry, ConcatenationAppliesTheFirstTransformFirst)
{
    AffineTransform moveThenScale =
        cg::concat(AffineTransform::translation(10, 0), AffineTransform::scale(2, 2));
    AffineTransform scaleThenMove =
        cg::concat(AffineTransform::scale(2, 2), AffineTransform::translation(10, 0));
    cg::Point a = cg::apply(moveThenScale, cg::makePoint(1, 1));
    cg::Point b = cg::apply(scaleThenMove, cg::makePoint(1, 1));
    EXPECT_FLOAT_EQ(a.x, 22);
    EXPECT_FLOAT_EQ(a.y, 2);
    EXPECT_FLOAT_EQ(b.x, 12);
    EXPECT_FLOAT_EQ(b.y, 2);
}

TEST(ViewGeometry, FrameIsTheEnclosingBoxUnderATransform)
{
    struct Case
    {
        const char* name;
        AffineTransform transform;
        cg::Rect frame;
    };
    const Case cases[] = {
        {"identity", AffineTransform::identity(), cg::makeRect(10, 20, 100, 50)},
        {"double size about the centre", AffineTransform::scale(2, 2), cg::makeRect(-40, -5, 200, 100)},
        {"quarter turn", AffineTransform::rotation(std::numbers::pi_v<float> / 2),
         cg::makeRect(35, -5, 50, 100)},
        {"translation", AffineTransform::translation(5, -5), cg::makeRect(15, 15, 100, 50)},
        {"eighth turn", AffineTransform::rotation(std::numbers::pi_v<float> / 4),
         cg::makeRect(60 - 75 / std::sqrt(2.0f), 45 - 75 / std::sqrt(2.0f), 150 / std::sqrt(2.0f),
                      150 / std::sqrt(2.0f))},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        auto view = ui::View::create(cg::makeRect(10, 20, 100, 50));
        view->setTransform(row.transform);
        expectRect(view->frame(), row.frame);
        EXPECT_EQ(view->center(), cg::makePoint(60, 45));
        EXPECT_EQ(view->bounds().size, (cg::Size{100, 50}));
    }
}

TEST(ViewGeometry, SettingTheFrameUnderATransformKeepsTheTransformAndSizesTheBounds)
{
    auto view = ui::View::create(cg::makeRect(0, 0, 100, 50));
    view->setTransform(AffineTransform::scale(2, 2));
    view->setFrame(cg::makeRect(0, 0, 90, 60));
    EXPECT_EQ(view->transform(), AffineTransform::scale(2, 2));
    EXPECT_EQ(view->center(), cg::makePoint(45, 30));
    EXPECT_EQ(view->bounds().size, (cg::Size{45, 30}));
    expectRect(view->frame(), cg::makeRect(0, 0, 90, 60));

    // An unchanged frame sets back unchanged under a quarter turn.
    view->setTransform(AffineTransform::rotation(std::numbers::pi_v<float> / 2));
    cg::Rect before = view->frame();
    view->setFrame(before);
    expectRect(view->frame(), before);
}

TEST(ViewGeometry, PointsConvertThroughTransformsAndBoundsOrigins)
{
    auto root = ui::View::create(cg::makeRect(0, 0, 320, 480));
    auto parent = ui::View::create(cg::makeRect(100, 100, 100, 100));
    auto child = ui::View::create(cg::makeRect(10, 10, 20, 20));
    root->addSubview(parent);
    parent->addSubview(child);
    EXPECT_EQ(child->convertPointToView(cg::makePoint(0, 0), root.get()), cg::makePoint(110, 110));

    parent->setTransform(AffineTransform::scale(2, 2)); // about (150, 150)
    cg::Point p = child->convertPointToView(cg::makePoint(0, 0), root.get());
    EXPECT_FLOAT_EQ(p.x, 70);
    EXPECT_FLOAT_EQ(p.y, 70);
    cg::Point back = child->convertPointFromView(p, root.get());
    EXPECT_NEAR(back.x, 0, 1e-4);
    EXPECT_NEAR(back.y, 0, 1e-4);

    parent->setTransform(AffineTransform::identity());
    parent->setBounds(cg::makeRect(5, 0, 100, 100)); // scrolled 5 to the right
    EXPECT_EQ(child->convertPointToView(cg::makePoint(0, 0), root.get()), cg::makePoint(105, 110));
}

TEST(ViewGeometry, SubviewsKeepOrderAndMoveBetweenSuperviews)
{
    auto a = ui::View::create();
    auto b = ui::View::create();
    auto x = ui::View::create();
    auto y = ui::View::create();
    a->addSubview(x);
    a->addSubview(y);
    a->bringSubviewToFront(x.get());
    ASSERT_EQ(a->subviews().size(), 2u);
    EXPECT_EQ(a->subviews()[1], x);
    b->addSubview(x);
    EXPECT_EQ(a->subviews().size(), 1u);
    EXPECT_EQ(x->superview(), b.get());
    x->removeFromSuperview();
    EXPECT_EQ(x->superview(), nullptr);
    EXPECT_TRUE(b->subviews().empty());
    x->setTag(7);
    a->addSubview(x);
    EXPECT_EQ(a->viewWithTag(7), x.get());
}

namespace {

class CountingView : public ui::View
{
public:
    explicit CountingView(cg::Rect frame) : View(frame) {}
    int layouts = 0;
    void layoutSubviews() override { ++layouts; }
};

} // namespace

TEST(ViewGeometry, LayoutRunsOncePerRequest)
{
    auto view = ns::make<CountingView>(cg::makeRect(0, 0, 10, 10));
    view->layoutIfNeeded();
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);
    view->setFrame(cg::makeRect(0, 0, 20, 20));
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 2);
    view->setCenter(cg::makePoint(50, 50)); // moving does not lay out again
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 2);
}
