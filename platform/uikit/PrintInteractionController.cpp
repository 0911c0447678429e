#include "uikit/PrintInteractionController.h"

#include "foundation/ClassRegistry.h"
#include "foundation/Data.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "graphics/PDFContext.h"
#include "uikit/AlertView.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/TextEngine.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace ui {

namespace {

constexpr const char* printErrorDomain = "UIPrintErrorDomain";
constexpr long printNoContentError = 2;
constexpr long printJobFailedError = 4;

// US Letter, half-inch margins.
constexpr cg::Size letter{612, 792};
constexpr float margin = 36;

std::atomic<bool>& printingAvailable()
{
    static std::atomic<bool> available{true};
    return available;
}

int printedNumber(const std::string& name)
{
    if (name.size() != 8 || name.compare(4, 4, ".pdf") != 0)
        return 0;
    int number = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

void printImage(cg::PDFContext& pdf, const Image& image, const cg::Rect& content)
{
    cg::Size size = image.size();
    float ratio = std::min(content.size.width / size.width, content.size.height / size.height);
    float w = size.width * ratio, h = size.height * ratio;
    image.drawInContext(pdf, cg::makeRect(content.midX() - w / 2, content.midY() - h / 2, w, h));
}

void printText(cg::PDFContext& pdf, const std::string& text, const cg::Rect& content)
{
    auto font = Font::systemFontOfSize(12);
    auto layout = TextEngine::layout(text, *font);
    pango_layout_set_width(layout.get(), int(content.size.width * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    cairo_t* cr = pdf.cairo();
    ns::CHandle<PangoLayoutIter, pango_layout_iter_free> lines(pango_layout_get_iter(layout.get()));
    PangoLayoutIter* iter = lines.get();
    double pageTop = 0;
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        double top = double(logical.y) / PANGO_SCALE,
               bottom = double(logical.y + logical.height) / PANGO_SCALE;
        if (bottom - pageTop > content.size.height && top > pageTop) {
            pdf.beginPage();
            pageTop = top;
        }
        double baseline = double(pango_layout_iter_get_baseline(iter)) / PANGO_SCALE;
        pdf.setFillColor({0, 0, 0, 1});
        pdf.useFillAsSource();
        cairo_move_to(cr, content.origin.x + double(logical.x) / PANGO_SCALE,
                      content.origin.y + baseline - pageTop);
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
        cairo_new_path(cr);
    } while (pango_layout_iter_next_line(iter));
}

} // namespace

// What the user picks on the panel's sheet.
class PrintInteractionController::PanelChoice : public AlertViewDelegate
{
public:
    explicit PanelChoice(ns::Weak<PrintInteractionController> controller)
        : m_controller(std::move(controller))
    {
    }
    void alertViewClickedButtonAtIndex(AlertView& panel, long index) override
    {
        auto controller = m_controller.lock();
        if (!controller || controller->m_panel.get() != &panel)
            return;
        controller->m_panel = nullptr; // the sheet goes by itself
        if (index == panel.cancelButtonIndex())
            controller->dismissAnimated(true);
        else
            controller->print();
    }

private:
    ns::Weak<PrintInteractionController> m_controller;
};

ns::Ref<PrintInteractionController> PrintInteractionController::sharedPrintController()
{
    static const ns::Ref<PrintInteractionController> controller =
        ns::Factory<PrintInteractionController>::make();
    return controller;
}

bool PrintInteractionController::isPrintingAvailable()
{
    return printingAvailable();
}
void PrintInteractionController::setPrintingAvailable(bool available)
{
    printingAvailable() = available;
}

std::string PrintInteractionController::folder()
{
    return ns::Sandbox::devicePath() + "/Printed";
}

bool PrintInteractionController::presentAnimated(bool animated, Completion completion)
{
    if (m_presented || !isPrintingAvailable())
        return false;
    m_presented = true;
    m_animated = animated;
    m_fromRect = cg::Rect{};
    m_inView.reset();
    m_completion = std::move(completion);
    showPanel();
    return true;
}

void PrintInteractionController::showPanel()
{
    if (!m_choice)
        m_choice = std::make_shared<PanelChoice>(weakSelf<PrintInteractionController>());
    m_panel = AlertView::create(std::string("Printer Options"), std::nullopt, m_choice, std::string("Cancel"),
                                {"Print"});
    m_panel->show();
}

bool PrintInteractionController::presentFromRect(const cg::Rect& rect, const ns::Ref<View>& view,
                                                 bool animated, Completion completion)
{
    if (!presentAnimated(animated, std::move(completion)))
        return false;
    m_fromRect = rect;
    m_inView = view;
    return true;
}

bool PrintInteractionController::renderItem(const ns::Id& item, const std::string& path,
                                            const ns::Ref<PrintInfo>& info)
{
    ns::Ref<Image> image = ns::cast<Image>(item);
    if (!image) {
        if (auto data = ns::cast<ns::Data>(item))
            image = Image::imageWithData(*data);
    }
    const std::string* text = ns::stringValue(item);
    if (!image && !text)
        return false;
    bool landscape = info && info->orientation() == PrintInfoOrientation::Landscape;
    cg::Size page = landscape ? cg::makeSize(letter.height, letter.width) : letter;
    auto pdf = cg::PDFContext::create(path, page, cg::Origin::TopLeft);
    if (!pdf)
        return false;
    cg::Rect content = cg::inset(cg::makeRect(0, 0, page.width, page.height), margin, margin);
    if (image)
        printImage(*pdf, *image, content);
    else
        printText(*pdf, *text, content);
    return pdf->close();
}

std::string PrintInteractionController::print()
{
    if (!m_presented)
        return {};
    std::string path;
    ns::Ref<ns::Error> error;
    static std::mutex mutex;
    {
        std::lock_guard lock(mutex);
        ns::FileManager::createDirectoryAtPath(folder(), true);
        int last = 0;
        if (auto names = ns::FileManager::contentsOfDirectoryAtPath(folder())) {
            for (const auto& name : *names)
                last = std::max(last, printedNumber(name));
        }
        std::string candidate = ns::format("%s/%04d.pdf", folder().c_str(), last + 1);
        bool printable = ns::cast<Image>(m_printingItem) || ns::cast<ns::Data>(m_printingItem) ||
                         ns::stringValue(m_printingItem);
        if (!printable)
            error = ns::Error::withDescription(printErrorDomain, printNoContentError,
                                               "There is nothing to print.");
        else if (last >= 9999 || !renderItem(m_printingItem, candidate, m_printInfo))
            error =
                ns::Error::withDescription(printErrorDomain, printJobFailedError, "The print job failed.");
        else
            path = candidate;
    }
    finish(!error, error);
    return path;
}

void PrintInteractionController::dismissAnimated(bool animated)
{
    if (!m_presented)
        return;
    m_animated = animated;
    finish(false, nullptr);
}

void PrintInteractionController::finish(bool completed, const ns::Ref<ns::Error>& error)
{
    m_presented = false;
    if (auto panel = std::move(m_panel))
        panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), m_animated);
    Completion completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(self<PrintInteractionController>(), completed, error);
}

void registerPrintClass()
{
    rt::ClassRegistry::shared().registerClass("UIPrintInteractionController", [] {
        return std::static_pointer_cast<ns::Object>(PrintInteractionController::sharedPrintController());
    });
}

void unregisterPrintClass()
{
    rt::ClassRegistry::shared().unregisterClass("UIPrintInteractionController");
}

} // namespace ui
