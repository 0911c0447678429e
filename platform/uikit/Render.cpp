#include "uikit/Render.h"

#include "graphics/BitmapContext.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Image.h"
#include "uikit/Screen.h"
#include "uikit/ScreenTransition.h"
#include "uikit/StringDrawing.h"
#include "uikit/View.h"
#include "uikit/Window.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace ui {
namespace {

void roundedRectPath(cg::Context& context, cg::Rect r, cg::Float radius)
{
    radius = std::min({radius, r.size.width / 2, r.size.height / 2});
    context.beginPath();
    if (radius <= 0) {
        context.addRect(r);
        return;
    }
    context.moveToPoint(r.minX() + radius, r.minY());
    context.addArcToPoint(r.maxX(), r.minY(), r.maxX(), r.maxY(), radius);
    context.addArcToPoint(r.maxX(), r.maxY(), r.minX(), r.maxY(), radius);
    context.addArcToPoint(r.minX(), r.maxY(), r.minX(), r.minY(), radius);
    context.addArcToPoint(r.minX(), r.minY(), r.maxX(), r.minY(), radius);
    context.closePath();
}

// RAII for the UI layer's current context while a view draws.
struct CurrentContext
{
    explicit CurrentContext(ns::Ref<cg::Context> context) { pushContext(std::move(context)); }
    ~CurrentContext() { popContext(); }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;
};

// Along the top of the interface, turned with it.
void drawStatusBar(cg::Context& context)
{
    cg::Rect screen = Application::screenBounds();
    InterfaceOrientation orientation = Application::sharedApplication().statusBarOrientation();
    bool landscape = orientation == InterfaceOrientation::LandscapeLeft ||
                     orientation == InterfaceOrientation::LandscapeRight;
    cg::Float width = landscape ? screen.size.height : screen.size.width;
    cg::Float height = landscape ? screen.size.width : screen.size.height;
    context.saveGState();
    context.translateCTM(screen.midX(), screen.midY());
    context.concatCTM(Window::interfaceTransform(orientation));
    context.translateCTM(-width / 2, -height / 2);
    cg::Rect bar = cg::makeRect(0, 0, width, Screen::statusBarHeight);
    context.setRGBFillColor(0.1f, 0.1f, 0.1f, 1);
    context.fillRect(bar);
    context.setRGBFillColor(1, 1, 1, 1);
    auto font = Font::boldSystemFontOfSize(12);
    drawText(context, "Velmo", cg::inset(bar, 6, 3), *font, LineBreakMode::Clip, TextAlignment::Left);
    drawText(context, "9:41", cg::inset(bar, 6, 3), *font, LineBreakMode::Clip, TextAlignment::Center);
    context.restoreGState();
}

ns::Ref<cg::BitmapContext> screenContext(float scale)
{
    if (scale != 1 && scale != 2)
        return nullptr;
    cg::Rect screen = Application::screenBounds();
    auto context = cg::BitmapContext::create(
        std::size_t(screen.size.width * scale), std::size_t(screen.size.height * scale), 8, 0,
        cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst, cg::Origin::TopLeft, scale);
    if (context) {
        context->setRGBFillColor(0, 0, 0, 1);
        context->fillRect(screen);
    }
    return context;
}

ns::Ref<ns::Data> toPNG(const ns::Ref<cg::BitmapContext>& context, float scale)
{
    auto image = Image::imageWithCGImage(context->makeImage(), scale);
    return ImagePNGRepresentation(image);
}

bool writeAtomically(const std::string& path, const ns::Data& data)
{
    std::filesystem::path target(path);
    auto temporary = target;
    temporary += ".tmp" + std::to_string(::getpid());
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.bytes().size()));
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code failed;
    std::filesystem::rename(temporary, target, failed);
    if (failed) {
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

} // namespace

namespace {

// Draws the view in its own coordinates: background, drawRect, subviews, border.
void drawViewBody(const ns::Ref<cg::Context>& contextRef, View& view)
{
    cg::Context& context = *contextRef;
    cg::Rect bounds = view.bounds();
    const Layer& layer = *view.layer();
    cg::Float radius = layer.cornerRadius();
    if (auto background = view.backgroundColor(); background && background->alpha() > 0) {
        context.setFillColor(background->CGColor());
        roundedRectPath(context, bounds, radius);
        context.fillPath();
    }
    context.saveGState();
    if (layer.masksToBounds()) {
        roundedRectPath(context, bounds, radius);
        context.clip();
    }
    {
        CurrentContext current(contextRef);
        context.saveGState();
        view.drawRect(context, bounds);
        context.restoreGState();
    }
    view.clearNeedsDisplay();
    // A copy: drawing code may change the hierarchy.
    auto subviews = view.subviews();
    for (auto& subview : subviews)
        drawViewTree(contextRef, *subview);
    context.restoreGState();
    if (layer.borderWidth() > 0) {
        cg::Float width = layer.borderWidth();
        auto color = layer.borderColor() ? layer.borderColor()->CGColor() : cg::Color{0, 0, 0, 1};
        context.setStrokeColor(color);
        context.setLineWidth(width);
        roundedRectPath(context, cg::inset(bounds, width / 2, width / 2),
                        std::max<cg::Float>(0, radius - width / 2));
        context.strokePath();
    }
}

} // namespace

void drawViewTree(const ns::Ref<cg::Context>& contextRef, View& view)
{
    if (drawScreenTransition(contextRef, view))
        return;
    drawViewTree(contextRef, view, cg::AffineTransform::identity(), 1);
}

void drawViewTree(const ns::Ref<cg::Context>& contextRef, View& view, const cg::AffineTransform& extra,
                  cg::Float extraAlpha)
{
    cg::Float alpha = view.alpha() * extraAlpha;
    // A collapsed or broken geometry draws nothing (and must not reach cairo, which would refuse every
    // later drawing).
    if (view.isHidden() || alpha <= 0 || !view.hasDrawableGeometry())
        return;
    cg::Context& context = *contextRef;
    context.saveGState();
    cg::Rect bounds = view.bounds();
    context.translateCTM(view.center().x, view.center().y);
    if (!view.transform().isIdentity())
        context.concatCTM(view.transform());
    if (!extra.isIdentity())
        context.concatCTM(extra);
    context.translateCTM(-bounds.midX(), -bounds.midY());
    bool group = alpha < 1;
    if (group) {
        context.setAlpha(alpha);
        context.beginTransparencyLayer();
    }
    drawViewBody(contextRef, view);
    if (group)
        context.endTransparencyLayer();
    context.restoreGState();
}

void drawViewContent(cg::Context& context, View& view)
{
    if (view.isHidden() || !view.hasDrawableGeometry())
        return;
    // Borrowed for the call: the caller owns the context.
    ns::Ref<cg::Context> borrowed(ns::Ref<cg::Context>{}, &context);
    context.saveGState();
    drawViewBody(borrowed, view);
    context.restoreGState();
}

ns::Ref<ns::Data> render(Window& window, float scale)
{
    auto context = renderBitmap(window, scale);
    return context ? toPNG(context, scale) : nullptr;
}

ns::Ref<ns::Data> renderScreen(float scale)
{
    auto context = renderScreenBitmap(scale);
    return context ? toPNG(context, scale) : nullptr;
}

ns::Ref<cg::BitmapContext> renderBitmap(Window& window, float scale)
{
    auto context = screenContext(scale);
    if (!context)
        return nullptr;
    std::vector<ns::Ref<Window>> windows;
    windows.push_back(window.self<Window>());
    for (auto& other : Application::sharedApplication().windows())
        if (other.get() != &window && other->windowLevel() > window.windowLevel())
            windows.push_back(other);
    for (auto& w : windows)
        w->layoutIfNeeded();
    ns::Ref<cg::Context> base = context;
    for (auto& w : windows) {
        if (w.get() == &window) {
            // The window asked for is drawn even before it is made visible.
            bool hidden = w->isHidden();
            w->setHidden(false);
            drawViewTree(base, *w);
            w->setHidden(hidden);
        } else {
            drawViewTree(base, *w);
        }
        if (w.get() == &window && !Application::sharedApplication().isStatusBarHidden())
            drawStatusBar(*context);
    }
    return context;
}

ns::Ref<cg::BitmapContext> renderScreenBitmap(float scale)
{
    auto context = screenContext(scale);
    if (!context)
        return nullptr;
    auto windows = Application::sharedApplication().windows();
    for (auto& w : windows)
        w->layoutIfNeeded();
    ns::Ref<cg::Context> base = context;
    bool statusDrawn = Application::sharedApplication().isStatusBarHidden();
    for (auto& w : windows) {
        if (!statusDrawn && w->windowLevel() > WindowLevelNormal) {
            drawStatusBar(*context);
            statusDrawn = true;
        }
        drawViewTree(base, *w);
    }
    if (!statusDrawn)
        drawStatusBar(*context);
    return context;
}

bool renderToFile(Window& window, float scale, const std::string& path)
{
    auto png = render(window, scale);
    return png && writeAtomically(path, *png);
}

bool renderScreenToFile(float scale, const std::string& path)
{
    auto png = renderScreen(scale);
    return png && writeAtomically(path, *png);
}

} // namespace ui
