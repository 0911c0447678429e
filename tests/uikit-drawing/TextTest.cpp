#include "graphics/BitmapContext.h"
#include "testing/BoundedChild.h"
#include "uikit/Font.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <gtest/gtest.h>

using ui::Font;
using ui::LineBreakMode;

TEST(Text, MeasuresTheSameEveryTime)
{
    auto bold = Font::boldSystemFontOfSize(11);
    cg::Size size = ui::sizeWithFont("mobile", *bold);
    EXPECT_EQ(size, cg::makeSize(36, 13));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ui::sizeWithFont("mobile", *bold), size);
    EXPECT_EQ(ui::sizeWithFont("", *bold).width, 0);
    EXPECT_GT(ui::sizeWithFont("", *bold).height, 0); // an empty text still has a line's height
}

TEST(Text, WrapsWithinTheConstrainedWidth)
{
    auto font = Font::systemFontOfSize(14);
    const std::string text = "The quick brown fox jumps over the lazy dog again and again";
    cg::Size line = ui::sizeWithFont(text, *font);
    cg::Size wrapped = ui::sizeWithFont(text, *font, cg::makeSize(100, 10000), LineBreakMode::WordWrap);
    EXPECT_LE(wrapped.width, 100);
    EXPECT_GE(wrapped.height, 3 * line.height);
    cg::Size wide = ui::sizeWithFont(text, *font, cg::makeSize(10000, 10000), LineBreakMode::WordWrap);
    EXPECT_EQ(wide, line);
}

TEST(Text, KeepsToTheLinesThatFit)
{
    auto font = Font::systemFontOfSize(14);
    const std::string text = "The quick brown fox jumps over the lazy dog again and again";
    float lineHeight = ui::sizeWithFont("X", *font).height;
    struct Row
    {
        const char* name;
        LineBreakMode mode;
    };
    const Row rows[] = {
        {"word wrap", LineBreakMode::WordWrap},
        {"character wrap", LineBreakMode::CharacterWrap},
        {"clip", LineBreakMode::Clip},
        {"tail truncation", LineBreakMode::TailTruncation},
        {"middle truncation", LineBreakMode::MiddleTruncation},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cg::Size two = ui::sizeWithFont(text, *font, cg::makeSize(100, 2.5f * lineHeight), row.mode);
        EXPECT_LE(two.width, 100);
        EXPECT_NEAR(two.height, 2 * lineHeight, 1);
    }
    cg::Size one = ui::sizeWithFont(text, *font, 80, LineBreakMode::TailTruncation);
    EXPECT_LE(one.width, 80);
    EXPECT_EQ(one.height, lineHeight);
}

TEST(Text, ALabelShrinksItsFontToFitItsWidthNoSmallerThanItsMinimum)
{
    struct Row
    {
        const char* name;
        float width;
        bool adjusts;
        float minimum;
        bool smaller;   // drawn in a smaller font than the label's
        bool truncated; // cut short all the same
    } rows[] = {
        {"room enough", 400, true, 0, false, false},
        {"shrinks to fit", 136, true, 0, true, false},
        {"stops at its minimum", 60, true, 14, true, true},
        {"does not adjust", 136, false, 0, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto label = ui::Label::create(cg::makeRect(0, 0, row.width, 30));
        label->setFont(ui::Font::boldSystemFontOfSize(17));
        label->setText("Saving to Pinboard");
        label->setAdjustsFontSizeToFitWidth(row.adjusts);
        label->setMinimumFontSize(row.minimum);
        auto font = label->fontForWidth(row.width);
        EXPECT_EQ(font->pointSize() < 17, row.smaller);
        if (row.minimum > 0) {
            EXPECT_GE(font->pointSize(), row.minimum);
        }
        EXPECT_EQ(label->isTruncated(), row.truncated);
        if (row.smaller && !row.truncated) {
            // The largest whole size that fits: one point more would not.
            EXPECT_LE(ui::sizeWithFont("Saving to Pinboard", *font).width, row.width);
            EXPECT_GT(
                ui::sizeWithFont("Saving to Pinboard", *font->fontWithSize(font->pointSize() + 1)).width,
                row.width);
        }
    }
}

TEST(Text, ALabelOfAnyNumberOfLinesWrapsWithinItsHeight)
{
    auto label = ui::Label::create(cg::makeRect(0, 0, 282, 60));
    label->setFont(ui::Font::systemFontOfSize(15));
    label->setText("Enable auto share to skip this step in the future.");
    label->setLineBreakMode(ui::LineBreakMode::WordWrap);
    EXPECT_TRUE(label->isTruncated()); // one line, by default
    label->setNumberOfLines(0);
    EXPECT_FALSE(label->isTruncated());
    label->setFrame(cg::makeRect(0, 0, 282, 10));
    EXPECT_TRUE(label->isTruncated()); // not even one line fits
}

TEST(Text, FontsAnswerTheirNamesAndMetrics)
{
    auto font = Font::boldSystemFontOfSize(22);
    EXPECT_EQ(font->familyName(), "Liberation Sans");
    EXPECT_EQ(font->fontName(), "LiberationSans-Bold");
    EXPECT_EQ(font->pointSize(), 22);
    EXPECT_GT(font->ascender(), 0);
    EXPECT_LT(font->descender(), 0);
    EXPECT_NEAR(font->lineHeight(), font->ascender() - font->descender(), 1e-3);
    auto named = Font::fontWithName("Helvetica-Bold", 11);
    ASSERT_TRUE(named);
    EXPECT_TRUE(named->isEqual(*Font::boldSystemFontOfSize(11)));
    EXPECT_FALSE(Font::fontWithName("", 11));
}

TEST(Text, DrawsWithTheFillColourInsideItsRect)
{
    ui::beginImageContext(cg::makeSize(60, 20));
    auto context = ui::currentContext();
    ASSERT_TRUE(context);
    context->setFillColor({1, 0, 0, 1});
    ui::drawInRect("mobile", cg::makeRect(0, 0, 60, 20), *Font::boldSystemFontOfSize(11));
    auto image = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    ASSERT_TRUE(image);
    int inked = 0;
    bool outside = false;
    for (std::size_t y = 0; y < 20; ++y) {
        for (std::size_t x = 0; x < 60; ++x) {
            cg::Color p = image->CGImage()->pixel(x, y);
            if (p.alpha > 0.5f) {
                ++inked;
                EXPECT_GT(p.red, 0.9f);
                outside = outside || x >= 37 || y >= 14;
            }
        }
    }
    EXPECT_GT(inked, 20);
    EXPECT_FALSE(outside);
}

TEST(Text, ClearBlendModePunchesLettersOut)
{
    ui::beginImageContext(cg::makeSize(40, 20));
    auto context = ui::currentContext();
    context->setFillColor({0, 0, 1, 1});
    context->fillRect(cg::makeRect(0, 0, 40, 20));
    context->setBlendMode(cg::BlendMode::Clear);
    ui::drawInRect("mobile", cg::makeRect(2, 2, 38, 18), *Font::boldSystemFontOfSize(11),
                   LineBreakMode::Clip);
    context->setBlendMode(cg::BlendMode::Normal);
    auto image = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    int holes = 0;
    for (std::size_t y = 0; y < 20; ++y)
        for (std::size_t x = 0; x < 40; ++x)
            holes += image->CGImage()->pixel(x, y).alpha < 0.5f;
    EXPECT_GT(holes, 20);
    EXPECT_EQ(image->CGImage()->pixel(0, 0).alpha, 1);
}

TEST(Text, OneLineIsLaidOutFromWhatALineCanShow)
{
    // Two-byte characters, so that a cut in bytes would show.
    std::string text;
    for (std::size_t i = 0; i < ui::MaxLineCharacters + 5000; ++i)
        text += i < 100 ? "\xc3\xa9" : (i >= ui::MaxLineCharacters + 4900 ? "\xc3\xbc" : "a");
    struct Row
    {
        const char* name;
        LineBreakMode mode;
        std::string expected;
    };
    std::size_t kept = ui::MaxLineCharacters;
    const Row rows[] = {
        {"tail truncation", LineBreakMode::TailTruncation, std::string(text, 0, 200 + kept - 100)},
        {"clip", LineBreakMode::Clip, std::string(text, 0, 200 + kept - 100)},
        {"head truncation", LineBreakMode::HeadTruncation,
         std::string(text, text.size() - (200 + kept - 100))},
        {"middle truncation", LineBreakMode::MiddleTruncation,
         std::string(text, 0, 200 + kept / 2 - 100) +
             std::string(text, text.size() - (200 + kept / 2 - 100))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string line = ui::textForOneLine(text, row.mode);
        EXPECT_EQ(line, row.expected);
    }
    EXPECT_EQ(ui::textForOneLine("short", LineBreakMode::HeadTruncation), "short");
    // What a line shows is the same as from the whole text.
    auto font = Font::systemFontOfSize(14);
    EXPECT_EQ(
        ui::sizeWithFont(text, *font, 120, LineBreakMode::TailTruncation),
        ui::sizeWithFont("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                         "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9",
                         *font, 120, LineBreakMode::TailTruncation));
}

// A single-line label, a measure and a drawing of forty megabytes of text, in a child process held to a
// time and a memory bound: laid out whole, the text alone would take some 2.8 GB.
TEST(Text, AHugeTextOnOneLineStaysWithinATimeAndMemoryBound)
{
    auto outcome = testkit::BoundedChild::run(
        [] {
            std::string text(40u * 1000 * 1000, 'w');
            for (std::size_t i = 7; i < text.size(); i += 8)
                text[i] = ' ';
            auto font = Font::systemFontOfSize(17);
            cg::Size line = ui::sizeWithFont(text, *font);
            cg::Size cut = ui::sizeWithFont(text, *font, 300, LineBreakMode::TailTruncation);
            auto label = ui::Label::create(cg::makeRect(0, 0, 300, 21));
            label->setText(text);
            ui::beginImageContext(cg::makeSize(300, 21));
            ui::drawAtPoint(text, cg::makePoint(0, 0), 300, *font, LineBreakMode::TailTruncation);
            label->drawRect(*ui::currentContext(), label->bounds());
            auto image = ui::imageFromCurrentImageContext();
            ui::endImageContext();
            return image && line.width > 300 && cut.width <= 300;
        },
        {20, std::size_t(1) << 30});
    EXPECT_TRUE(outcome.exited && outcome.status == 0) << outcome.describe();
}
