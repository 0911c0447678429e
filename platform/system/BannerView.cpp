#include "system/BannerView.h"

#include "graphics/Context.h"
#include "uikit/Font.h"
#include "uikit/StringDrawing.h"

namespace ad {

BannerView::BannerView() : ui::View(cg::makeRect(0, 0, 320, 50))
{
}

cg::Size BannerView::sizeFromBannerContentSizeIdentifier(const std::string& identifier)
{
    if (identifier == BannerContentSizeIdentifier320x50 || identifier == BannerContentSizeIdentifierPortrait)
        return cg::makeSize(320, 50);
    if (identifier == BannerContentSizeIdentifier480x32 || identifier == BannerContentSizeIdentifierLandscape)
        return cg::makeSize(480, 32);
    return cg::makeSize(0, 0);
}

void BannerView::setCurrentContentSizeIdentifier(std::string identifier)
{
    m_current = std::move(identifier);
    cg::Size size = sizeFromBannerContentSizeIdentifier(m_current);
    cg::Rect frame = this->frame();
    setFrame(cg::makeRect(frame.origin.x, frame.origin.y, size.width, size.height));
}

// A plain placeholder: no advertisement is ever fetched.
void BannerView::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect box = bounds();
    context.setRGBFillColor(0.85f, 0.87f, 0.9f, 1);
    context.fillRect(box);
    context.setRGBFillColor(0.4f, 0.42f, 0.45f, 1);
    ui::drawText(context, "Advertisement", cg::makeRect(0, box.size.height / 2 - 8, box.size.width, 16),
                 *ui::Font::systemFontOfSize(12), ui::LineBreakMode::TailTruncation,
                 ui::TextAlignment::Center);
}

void registerBannerClass()
{
    rt::ClassRegistry::shared().registerClass<BannerView>("ADBannerView", std::make_shared<BannerClass>());
}

void unregisterBannerClass()
{
    rt::ClassRegistry::shared().unregisterClass("ADBannerView");
}

} // namespace ad
