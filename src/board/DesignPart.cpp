#include "board/DesignPart.h"

#include "board/VelmoAppDelegate.h"
#include "board/VelmoViewController.h"
#include "foundation/Log.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"

#include <algorithm>

void DesignPart::addHeaderLabel(ui::ViewController& controller)
{
    auto* navigation = controller.navigationController();
    if (!navigation)
        return;
    const auto& bar = navigation->navigationBar();
    if (!bar)
        return;
    bar->setTintColor(ui::Color::colorWithRed(0.25390625f, 0.25390625f, 0.62890625f, 1.0f));
    cg::Rect frame = bar->frame();
    auto logo = ui::ImageView::create(cg::makeRect((frame.size.width - 150) / 2,
                                                   std::max<cg::Float>((frame.size.height - 40) / 2, 0), 150,
                                                   frame.size.height));
    logo->setImage(ui::Image::imageNamed("norvaklogo.png"));
    logo->setOpaque(true);
    logo->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                              ui::AutoresizingFlexibleBottomMargin);
    bar->addSubview(logo);
    ns::log("height: %f", static_cast<double>(frame.size.height));
}

void DesignPart::makeHeaderForSettingsViewNavigator(ui::ViewController& controller)
{
    addHeaderLabel(controller);
    auto app = VelmoAppDelegate::delegate();
    ns::Ref<VelmoViewController> board = app ? app->viewController() : nullptr;
    ns::Weak<VelmoViewController> weakBoard = board;
    controller.navigationItem()->setLeftBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done, board, [weakBoard](const ns::Id&) {
            if (auto b = weakBoard.lock())
                b->dismissSettingsView();
        }));
}
