#include "uikit/Font.h"

#include "foundation/Format.h"
#include "uikit/TextEngine.h"

#include <functional>

namespace ui {

namespace {

const char* const systemFamily = "Liberation Sans";

} // namespace

Font::Font(std::string family, float pointSize, bool bold, bool italic)
    : m_family(std::move(family)), m_pointSize(pointSize < 0 ? 0 : pointSize), m_bold(bold), m_italic(italic)
{
}

ns::Ref<Font> Font::systemFontOfSize(float size)
{
    return Font::create(systemFamily, size, false, false);
}
ns::Ref<Font> Font::boldSystemFontOfSize(float size)
{
    return Font::create(systemFamily, size, true, false);
}
ns::Ref<Font> Font::italicSystemFontOfSize(float size)
{
    return Font::create(systemFamily, size, false, true);
}

ns::Ref<Font> Font::fontWithName(const std::string& name, float size)
{
    if (name.empty() || size < 0)
        return nullptr;
    bool bold = name.find("Bold") != std::string::npos;
    bool italic = name.find("Italic") != std::string::npos || name.find("Oblique") != std::string::npos;
    return Font::create(systemFamily, size, bold, italic);
}

std::string Font::fontName() const
{
    std::string name = "LiberationSans";
    if (m_bold && m_italic)
        return name + "-BoldItalic";
    if (m_bold)
        return name + "-Bold";
    if (m_italic)
        return name + "-Italic";
    return name;
}

ns::Ref<Font> Font::fontWithSize(float size) const
{
    return Font::create(m_family, size, m_bold, m_italic);
}

float Font::ascender() const
{
    return TextEngine::metrics(*this).ascent;
}
float Font::descender() const
{
    return -TextEngine::metrics(*this).descent;
}
float Font::lineHeight() const
{
    auto metrics = TextEngine::metrics(*this);
    return metrics.ascent + metrics.descent;
}

std::string Font::pangoDescription() const
{
    std::string style;
    if (m_bold)
        style += " Bold";
    if (m_italic)
        style += " Italic";
    return ns::format("%s%s %gpx", m_family.c_str(), style.c_str(), double(m_pointSize));
}

std::string Font::description() const
{
    return ns::format("<UIFont> font-family: \"%s\"; font-weight: %s; font-style: %s; font-size: %.2fpt",
                      m_family.c_str(), m_bold ? "bold" : "normal", m_italic ? "italic" : "normal",
                      double(m_pointSize));
}

bool Font::isEqual(const ns::Object& other) const
{
    auto* font = dynamic_cast<const Font*>(&other);
    return font && font->m_family == m_family && font->m_pointSize == m_pointSize && font->m_bold == m_bold &&
           font->m_italic == m_italic;
}

std::size_t Font::hash() const
{
    return std::hash<std::string>{}(m_family) ^ (std::hash<float>{}(m_pointSize) << 1) ^ (m_bold ? 2 : 0) ^
           (m_italic ? 4 : 0);
}

} // namespace ui
