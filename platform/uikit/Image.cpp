#include "uikit/Image.h"

#include "foundation/Bundle.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "graphics/BitmapContext.h"
#include "graphics/ImageCodec.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Screen.h"

#include <map>
#include <mutex>

namespace ui {

namespace {

struct NamedCache
{
    std::mutex mutex;
    std::optional<std::string> resourcePath;
    std::map<std::string, ns::Ref<Image>, std::less<>> images;
};

NamedCache& namedCache()
{
    static NamedCache cache;
    return cache;
}

bool turned(ImageOrientation orientation)
{
    return orientation == ImageOrientation::Left || orientation == ImageOrientation::Right ||
           orientation == ImageOrientation::LeftMirrored || orientation == ImageOrientation::RightMirrored;
}

ImageOrientation fromExif(int exif)
{
    switch (exif) {
    case 2:
        return ImageOrientation::UpMirrored;
    case 3:
        return ImageOrientation::Down;
    case 4:
        return ImageOrientation::DownMirrored;
    case 5:
        return ImageOrientation::LeftMirrored;
    case 6:
        return ImageOrientation::Right;
    case 7:
        return ImageOrientation::RightMirrored;
    case 8:
        return ImageOrientation::Left;
    default:
        return ImageOrientation::Up;
    }
}

// Where a stored pixel at (u, v) (0 to 1 each, v down from the top row) shows in the upright picture:
// s = su u + sv v + s0, t = tu u + tv v + t0.
struct Placement
{
    float su, sv, s0, tu, tv, t0;
};

Placement placement(ImageOrientation orientation)
{
    switch (orientation) {
    case ImageOrientation::Up:
        break;
    case ImageOrientation::Down:
        return {-1, 0, 1, 0, -1, 1};
    case ImageOrientation::Left: // turned anticlockwise: the stored left column becomes the bottom row
        return {0, 1, 0, -1, 0, 1};
    case ImageOrientation::Right: // turned clockwise: the stored left column becomes the top row
        return {0, -1, 1, 1, 0, 0};
    case ImageOrientation::UpMirrored:
        return {-1, 0, 1, 0, 1, 0};
    case ImageOrientation::DownMirrored:
        return {1, 0, 0, 0, -1, 1};
    case ImageOrientation::LeftMirrored: // rows become columns
        return {0, 1, 0, 1, 0, 0};
    case ImageOrientation::RightMirrored:
        return {0, -1, 1, -1, 0, 1};
    }
    return {1, 0, 0, 0, 1, 0};
}

std::string baseName(const std::string& path)
{
    std::string name =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "@2x") == 0)
        name.erase(name.size() - 3);
    return name;
}

bool hasTwoXSuffix(const std::string& path)
{
    std::string name =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    auto dot = name.find_last_of('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    return stem.size() > 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0;
}

} // namespace

Image::Image(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation)
    : m_image(std::move(image)), m_scale(scale > 0 ? scale : 1), m_orientation(orientation)
{
    int value = int(orientation);
    if (value < 0 || value > 7)
        m_orientation = ImageOrientation::Up;
}

ns::Ref<Image> loadNamed(const std::string& name)
{
    std::string folder = Image::resourcePath();
    // Names are inside the bundle: no climbing out of it.
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos)
        return nullptr;
    std::string file = name;
    auto slash = file.find_last_of('/');
    auto dot = file.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        file += ".png";
    std::vector<std::string> candidates;
    if (Screen::mainScreen()->scale() == 2) {
        auto d = file.find_last_of('.');
        candidates.push_back(file.substr(0, d) + "@2x" + file.substr(d));
    }
    candidates.push_back(file);
    for (const auto& candidate : candidates) {
        auto image = Image::imageWithContentsOfFile(folder + "/" + candidate);
        if (!image)
            continue;
        image->m_name = baseName(name);
        return image;
    }
    return nullptr;
}

ns::Ref<Image> Image::imageNamed(const std::string& name)
{
    auto& cache = namedCache();
    {
        std::lock_guard lock(cache.mutex);
        auto found = cache.images.find(name);
        if (found != cache.images.end())
            return found->second;
    }
    auto image = loadNamed(name);
    if (image) {
        std::lock_guard lock(cache.mutex);
        cache.images.emplace(name, image);
    }
    return image;
}

void Image::setResourcePath(const std::string& path)
{
    auto& cache = namedCache();
    std::lock_guard lock(cache.mutex);
    if (path.empty())
        cache.resourcePath.reset();
    else
        cache.resourcePath = path;
    cache.images.clear();
}

std::string Image::resourcePath()
{
    {
        auto& cache = namedCache();
        std::lock_guard lock(cache.mutex);
        if (cache.resourcePath)
            return *cache.resourcePath;
    }
    return ns::Bundle::main()->resourcePath();
}

void Image::clearNamedCache()
{
    auto& cache = namedCache();
    std::lock_guard lock(cache.mutex);
    cache.images.clear();
}

ns::Ref<Image> Image::imageWithContentsOfFile(const std::string& path)
{
    auto data = ns::FileManager::contentsAtPath(path);
    if (!data)
        return nullptr;
    return imageWithData(*data, hasTwoXSuffix(path) ? 2 : 1);
}

ns::Ref<Image> Image::imageWithData(const ns::Data& data, float scale)
{
    auto decoded = cg::ImageCodec::decode(data.data(), data.length());
    if (!decoded.image)
        return nullptr;
    return Image::create(std::move(decoded.image), scale, fromExif(decoded.exifOrientation));
}

ns::Ref<Image> Image::imageWithData(const ns::Ref<ns::Data>& data, float scale)
{
    return data ? imageWithData(*data, scale) : nullptr;
}

ns::Ref<Image> Image::imageWithCGImage(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation)
{
    if (!image)
        return nullptr;
    return Image::create(std::move(image), scale, orientation);
}

cg::Size Image::size() const
{
    float w = float(m_image->width()) / m_scale, h = float(m_image->height()) / m_scale;
    return turned(m_orientation) ? cg::makeSize(h, w) : cg::makeSize(w, h);
}

void Image::drawInRect(const cg::Rect& rect) const
{
    drawInRect(rect, cg::BlendMode::Normal, 1);
}

void Image::drawInRect(const cg::Rect& rect, cg::BlendMode mode, float alpha) const
{
    if (auto context = currentContext())
        drawInContext(*context, rect, mode, alpha);
}

void Image::drawAtPoint(const cg::Point& point) const
{
    drawAtPoint(point, cg::BlendMode::Normal, 1);
}

void Image::drawAtPoint(const cg::Point& point, cg::BlendMode mode, float alpha) const
{
    cg::Size s = size();
    drawInRect(cg::makeRect(point.x, point.y, s.width, s.height), mode, alpha);
}

void Image::drawInContext(cg::Context& context, const cg::Rect& rect, cg::BlendMode mode, float alpha) const
{
    if (rect.isEmpty())
        return;
    Placement p = placement(m_orientation);
    float x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    // drawImage puts the stored pixel (u, v) at (u, 1 - v) of a unit square; this maps that square onto
    // the upright picture in `rect`, in a y-down space.
    cg::AffineTransform placeUnit{
        w * p.su, h * p.tu, -w * p.sv, -h * p.tv, x + w * (p.s0 + p.sv), y + h * (p.t0 + p.tv)};
    context.saveGState();
    context.setBlendMode(mode);
    // Within a faded layer or view the picture fades further.
    context.setAlpha(context.alpha() * alpha);
    context.concatCTM(placeUnit);
    context.drawImage(cg::makeRect(0, 0, 1, 1), *m_image);
    context.restoreGState();
}

ns::Ref<Image> Image::upright() const
{
    if (m_orientation == ImageOrientation::Up)
        return std::const_pointer_cast<Image>(self<Image>());
    std::size_t pw = m_image->width(), ph = m_image->height();
    if (turned(m_orientation))
        std::swap(pw, ph);
    bool alpha = cg::carriesAlpha(m_image->alphaInfo()) || m_image->colorSpace() == cg::ColorSpace::None;
    auto context = cg::BitmapContext::create(
        pw, ph, 8, 0, cg::ColorSpace::RGB,
        alpha ? cg::AlphaInfo::PremultipliedFirst : cg::AlphaInfo::NoneSkipFirst, cg::Origin::TopLeft, 1);
    if (!context)
        return nullptr;
    Image unscaled(m_image, 1, m_orientation);
    unscaled.drawInContext(*context, cg::makeRect(0, 0, float(pw), float(ph)), cg::BlendMode::Copy, 1);
    auto image = context->makeImage();
    if (!image)
        return nullptr;
    auto result = Image::create(std::move(image), m_scale, ImageOrientation::Up);
    result->m_name = m_name;
    return result;
}

std::string Image::description() const
{
    cg::Size s = size();
    return ns::format("<UIImage %s {%g, %g} scale %g orientation %d>", m_name.c_str(), double(s.width),
                      double(s.height), double(m_scale), int(m_orientation));
}

ns::Ref<ns::Data> ImagePNGRepresentation(const ns::Ref<Image>& image)
{
    if (!image)
        return nullptr;
    auto upright = image->upright();
    if (!upright)
        return nullptr;
    auto bytes = cg::ImageCodec::encodePNG(*upright->CGImage());
    if (bytes.empty())
        return nullptr;
    return ns::Data::make(std::move(bytes));
}

ns::Ref<ns::Data> ImageJPEGRepresentation(const ns::Ref<Image>& image, float quality)
{
    if (!image)
        return nullptr;
    auto upright = image->upright();
    if (!upright)
        return nullptr;
    auto bytes = cg::ImageCodec::encodeJPEG(*upright->CGImage(), quality);
    if (bytes.empty())
        return nullptr;
    return ns::Data::make(std::move(bytes));
}

} // namespace ui
