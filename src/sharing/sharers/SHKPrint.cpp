#include "sharing/sharers/SHKPrint.h"

#include "foundation/ClassRegistry.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/PrintInteractionController.h"
#include "uikit/View.h"

namespace {
constexpr const char* PrintClassName = "UIPrintInteractionController";
}

std::string SHKPrintClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Print");
}

bool SHKPrintClass::canShare() const
{
    return rt::ClassRegistry::shared().classExists(PrintClassName) &&
           ui::PrintInteractionController::isPrintingAvailable();
}

bool SHKPrint::send()
{
    setQuiet(true);
    if (!validateItem())
        return false;
    return print();
}

bool SHKPrint::print()
{
    if (!rt::ClassRegistry::shared().classExists(PrintClassName))
        return false;
    auto printer = ui::PrintInteractionController::sharedPrintController();
    auto info = ui::PrintInfo::printInfo();
    info->setOutputType(ui::PrintInfoOutputType::Photo);
    printer->setPrintInfo(info);
    printer->setShowsPageRange(false);
    printer->setPrintingItem(std::static_pointer_cast<ns::Object>(item()->image()));

    // The completion holds the sharer until the user has printed or cancelled.
    auto completion = [self = self<SHKPrint>()](const ns::Ref<ui::PrintInteractionController>&,
                                                bool completed, const ns::Ref<ns::Error>& error) {
        SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
        if (completed)
            self->sendDidFinish();
        else if (error)
            SHKDeviceSharerFailed(*self, error);
        else
            self->sendDidCancel(); // the user closed the panel: nothing failed
    };
    bool shown = false;
    if (ui::Device::currentDevice()->userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad) {
        auto view = SHK::currentHelper()->rootViewForCustomUIDisplay()->view();
        cg::Point centre = view->center();
        cg::Rect from = cg::makeRect(centre.x, centre.y, view->frame().size.width, view->frame().size.height);
        shown = printer->presentFromRect(from, view, true, completion);
    } else {
        shown = printer->presentAnimated(true, completion);
    }
    // A panel that did not come up never completes: the share would wait for ever.
    if (!shown)
        SHKDeviceSharerFailed(*this);
    return true;
}
