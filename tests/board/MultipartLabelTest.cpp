#include "board/MultipartLabel.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Measures each text as a given size, so fractions can be shown to be cut.
class MeasuredLabel : public MultipartLabel
{
public:
    explicit MeasuredLabel(cg::Rect frame) : MultipartLabel(frame) {}
    std::map<std::string, cg::Size> sizes;

protected:
    cg::Size measuredSize(const ui::Label& label) const override
    {
        auto found = sizes.find(label.text().value_or(""));
        return found == sizes.end() ? cg::Size{} : found->second;
    }
};

ns::Ref<MeasuredLabel> threeParts(int32_t mode)
{
    auto row = ns::make<MeasuredLabel>(cg::makeRect(0, 0, 200, 30));
    row->sizes = {{"one", {40.7f, 13.9f}}, {"two", {30.2f, 20.5f}}, {"three", {10.9f, 8}}};
    row->setContentMode(mode);
    row->updateNumberOfLabels(3);
    row->setText("one", 0);
    row->setText("two", 1);
    row->setText("three", 2);
    return row;
}

} // namespace

TEST(MultipartLabel, AlignmentTable)
{
    struct Row
    {
        const char* name;
        int32_t mode;
        float x[3];
        float y[3];
    } rows[] = {
        {"centre", 4, {60, 100, 130}, {8, 5, 11}},      {"bottom", 6, {0, 40, 70}, {17, 10, 22}},
        {"right", 8, {120, 160, 190}, {0, 0, 0}},       {"top right", 10, {120, 160, 190}, {0, 0, 0}},
        {"bottom left", 11, {0, 40, 70}, {17, 10, 22}}, {"bottom right", 12, {120, 160, 190}, {17, 10, 22}},
        {"top left", 9, {0, 40, 70}, {0, 0, 0}},        {"scale to fill", 0, {0, 40, 70}, {0, 0, 0}},
    };
    const float widths[] = {40, 30, 10};
    const float heights[] = {13, 20, 8};
    for (auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto label = threeParts(row.mode);
        ASSERT_EQ(label->labels().size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(label->labels()[i]->frame(), cg::makeRect(row.x[i], row.y[i], widths[i], heights[i]));
        }
    }
}

TEST(MultipartLabel, RebuildingReplacesTheContainer)
{
    auto row = MultipartLabel::create(cg::makeRect(10, 10, 120, 20));
    row->updateNumberOfLabels(2);
    auto first = row->containerView();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frame(), cg::makeRect(0, 0, 120, 20));
    EXPECT_EQ(first->subviews().size(), 2u);
    row->updateNumberOfLabels(4);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(row->subviews().size(), 1u);
    EXPECT_EQ(row->containerView()->subviews().size(), 4u);
    EXPECT_EQ(row->labels().size(), 4u);
    for (auto& label : row->labels())
        EXPECT_EQ(label->frame().size.width, 0);
}

TEST(MultipartLabel, SettersChangeOnlyALabelInTheRow)
{
    auto row = MultipartLabel::create(cg::makeRect(0, 0, 300, 40));
    row->setContentMode(ui::ContentMode::Right);
    row->updateNumberOfLabels(2);
    auto bold = ui::Font::boldSystemFontOfSize(11);
    row->setText("mobile", bold, ui::Color::redColor(), 0);
    row->setText("Smith", ui::Color::blueColor(), 1);
    row->setText("ignored", 2);
    row->setText("ignored", -1);
    EXPECT_EQ(row->labels()[0]->text(), "mobile");
    EXPECT_TRUE(row->labels()[0]->font()->isEqual(*bold));
    EXPECT_TRUE(row->labels()[0]->textColor()->isEqual(*ui::Color::redColor()));
    EXPECT_TRUE(row->labels()[1]->textColor()->isEqual(*ui::Color::blueColor()));
    // Measured with the real fonts, right aligned: the row ends at the right edge.
    cg::Size first = ui::sizeWithFont("mobile", *bold, {10000, 10000}, row->labels()[0]->lineBreakMode());
    cg::Size second = ui::sizeWithFont("Smith", *row->labels()[1]->font(), {10000, 10000},
                                       row->labels()[1]->lineBreakMode());
    EXPECT_EQ(first, cg::makeSize(36, 13));
    EXPECT_EQ(row->labels()[0]->frame().origin.x, 300 - first.width - second.width);
    EXPECT_EQ(row->labels()[1]->frame().maxX(), 300);
    EXPECT_EQ(row->contentMode(), 8);
    EXPECT_EQ(row->ui::View::contentMode(), ui::ContentMode::ScaleToFill);
}
