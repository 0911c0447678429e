#include "uikit/GraphicsContext.h"

#include "foundation/Log.h"
#include "uikit/Screen.h"

#include <cmath>
#include <vector>

namespace ui {

namespace {

struct Entry
{
    ns::Ref<cg::Context> context;
    ns::Ref<cg::BitmapContext> imageContext; // set for image contexts
};

std::vector<Entry>& stack()
{
    thread_local std::vector<Entry> entries;
    return entries;
}

} // namespace

void beginImageContext(cg::Size size)
{
    beginImageContextWithOptions(size, false, 1);
}

void beginImageContextWithOptions(cg::Size size, bool opaque, float scale)
{
    if (scale == 0)
        scale = Screen::mainScreen()->scale();
    ns::Ref<cg::BitmapContext> context;
    if (size.width > 0 && size.height > 0 && scale > 0 && std::isfinite(size.width * scale) &&
        std::isfinite(size.height * scale) && size.width * scale < 1e6f && size.height * scale < 1e6f)
        context = cg::BitmapContext::create(
            std::size_t(std::ceil(size.width * scale)), std::size_t(std::ceil(size.height * scale)), 8, 0,
            cg::ColorSpace::RGB, opaque ? cg::AlphaInfo::NoneSkipFirst : cg::AlphaInfo::PremultipliedFirst,
            cg::Origin::TopLeft, scale);
    if (!context) {
        ns::log("beginImageContext: invalid size %gx%g at scale %g", double(size.width), double(size.height),
                double(scale));
        return;
    }
    stack().push_back(Entry{context, context});
}

ns::Ref<Image> imageFromCurrentImageContext()
{
    if (stack().empty() || !stack().back().imageContext)
        return nullptr;
    auto& context = stack().back().imageContext;
    auto image = context->makeImage();
    if (!image)
        return nullptr;
    return Image::create(std::move(image), context->scale(), ImageOrientation::Up);
}

void endImageContext()
{
    if (!stack().empty() && stack().back().imageContext)
        stack().pop_back();
}

ns::Ref<cg::Context> currentContext()
{
    if (stack().empty())
        return nullptr;
    return stack().back().context;
}

void pushContext(ns::Ref<cg::Context> context)
{
    if (context)
        stack().push_back(Entry{std::move(context), nullptr});
}

void popContext()
{
    if (!stack().empty() && !stack().back().imageContext)
        stack().pop_back();
}

} // namespace ui
