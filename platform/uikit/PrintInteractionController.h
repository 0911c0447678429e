#pragma once

#include "foundation/Error.h"
#include "foundation/Object.h"
#include "graphics/Geometry.h"
#include "uikit/PrintInfo.h"

#include <functional>
#include <string>

namespace ui {

class AlertView;
class View;

// The print panel. Presenting it shows the panel, a sheet titled "Printer Options" with the buttons
// "Cancel" and "Print"; the user then prints (`print`, or the sheet's "Print"), which renders the
// printing item into Device/Printed/NNNN.pdf, or cancels (`dismiss`, or the sheet's "Cancel"). Either
// way the sheet goes and the completion runs once: (controller, completed, error).
class PrintInteractionController : public ns::Object
{
public:
    using Completion = std::function<void(const ns::Ref<PrintInteractionController>& controller,
                                          bool completed, const ns::Ref<ns::Error>& error)>;

    static ns::Ref<PrintInteractionController> sharedPrintController();
    static bool isPrintingAvailable();
    static void setPrintingAvailable(bool available);

    const ns::Ref<PrintInfo>& printInfo() const { return m_printInfo; }
    void setPrintInfo(ns::Ref<PrintInfo> info) { m_printInfo = std::move(info); }
    bool showsPageRange() const { return m_showsPageRange; }
    void setShowsPageRange(bool shows) { m_showsPageRange = shows; }
    // A ui::Image, an ns::Data holding PNG or JPEG bytes, or an ns::String of text.
    const ns::Id& printingItem() const { return m_printingItem; }
    void setPrintingItem(ns::Id item) { m_printingItem = std::move(item); }

    // Answers false (and keeps the completion unrun) when the panel is already up or printing is off.
    bool presentAnimated(bool animated, Completion completion);
    bool presentFromRect(const cg::Rect& rect, const ns::Ref<View>& view, bool animated,
                         Completion completion);

    bool isPresented() const { return m_presented; }
    bool presentedAnimated() const { return m_animated; }
    // Where a pad presentation was anchored; zero without an anchor.
    const cg::Rect& presentedFromRect() const { return m_fromRect; }
    ns::Ref<View> presentedInView() const { return m_inView.lock(); }

    // The user prints: the item is rendered into the next NNNN.pdf, the panel goes and the completion
    // runs with completed = true, or with false and an error when the item cannot be printed.
    // Answers the PDF's path ("" when nothing was written).
    std::string print();
    // The user cancels: the panel goes and the completion runs with completed = false and no error.
    void dismissAnimated(bool animated);

    static std::string folder(); // home/Device/Printed
    std::string className() const override { return "UIPrintInteractionController"; }

    // Renders `item` as pages into a PDF at `path` (atomically); false when it is not printable.
    static bool renderItem(const ns::Id& item, const std::string& path, const ns::Ref<PrintInfo>& info);

protected:
    PrintInteractionController() = default;
    friend ns::Factory<PrintInteractionController>;

private:
    void finish(bool completed, const ns::Ref<ns::Error>& error);
    void showPanel();

    class PanelChoice;

    ns::Ref<PrintInfo> m_printInfo;
    bool m_showsPageRange = true;
    ns::Id m_printingItem;
    bool m_presented = false;
    bool m_animated = false;
    cg::Rect m_fromRect;
    ns::Weak<View> m_inView;
    Completion m_completion;
    ns::Ref<AlertView> m_panel;
    ns::Ref<PanelChoice> m_choice;
};

// The print controller's class is weakly linked: it exists ("UIPrintInteractionController") only on a
// device that registers it, as the velmo device does at launch.
void registerPrintClass();
void unregisterPrintClass();

} // namespace ui
