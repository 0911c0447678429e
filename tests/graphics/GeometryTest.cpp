#include "graphics/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectPoint(cg::Point actual, cg::Point expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4);
    EXPECT_NEAR(actual.y, expected.y, 1e-4);
}

} // namespace

TEST(AffineTransform, ConcatenationAppliesTheFirstFirst)
{
    auto move = cg::AffineTransform::translation(10, 0);
    auto grow = cg::AffineTransform::scale(2, 3);
    // Move, then grow: (1, 1) -> (11, 1) -> (22, 3).
    expectPoint(cg::apply(cg::concat(move, grow), cg::makePoint(1, 1)), {22, 3});
    // Grow, then move: (1, 1) -> (2, 3) -> (12, 3).
    expectPoint(cg::apply(cg::concat(grow, move), cg::makePoint(1, 1)), {12, 3});
}

TEST(AffineTransform, BuildersApplyTheNewStepBeforeTheOld)
{
    auto t = cg::translate(cg::AffineTransform::scale(2, 2), 5, 0);
    // The translation happens in the scaled space: (0, 0) -> (5, 0) -> (10, 0).
    expectPoint(cg::apply(t, cg::makePoint(0, 0)), {10, 0});
    auto r = cg::rotate(cg::AffineTransform::translation(100, 0), float(M_PI / 2));
    expectPoint(cg::apply(r, cg::makePoint(1, 0)), {100, 1});
}

TEST(AffineTransform, InvertUndoesAndRectsTakeTheEnclosingBox)
{
    auto t = cg::concat(cg::AffineTransform::rotation(0.3f), cg::AffineTransform::translation(4, -2));
    expectPoint(cg::apply(cg::invert(t), cg::apply(t, cg::makePoint(3, 7))), {3, 7});
    auto box = cg::apply(cg::AffineTransform::rotation(float(M_PI / 2)), cg::makeRect(0, 0, 20, 10));
    EXPECT_NEAR(box.origin.x, -10, 1e-4);
    EXPECT_NEAR(box.origin.y, 0, 1e-4);
    EXPECT_NEAR(box.size.width, 10, 1e-4);
    EXPECT_NEAR(box.size.height, 20, 1e-4);
}

TEST(Rect, IntegralTakesTheSmallestWholeRectThatHoldsIt)
{
    struct Row
    {
        const char* name;
        cg::Rect in;
        cg::Rect out;
    };
    const Row rows[] = {
        {"fractions widen", cg::makeRect(0.5f, 1.2f, 10.1f, 3.3f), cg::makeRect(0, 1, 11, 4)},
        {"whole stays", cg::makeRect(2, 3, 4, 5), cg::makeRect(2, 3, 4, 5)},
        {"negative size standardizes", cg::makeRect(10, 10, -2.5f, -2.5f), cg::makeRect(7, 7, 3, 3)},
        {"negative origin floors", cg::makeRect(-0.5f, -1.5f, 1, 1), cg::makeRect(-1, -2, 2, 2)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cg::integral(row.in), row.out);
    }
}
