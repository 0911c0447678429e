#pragma once

#include "foundation/Object.h"

#include <string>

namespace ui {

// A font: family, weight, slant and size in points. The system font is "Liberation Sans" (metrically
// the same as the platform's Helvetica); text is measured and drawn with pango (see StringDrawing.h).
class Font : public ns::Object
{
public:
    static ns::Ref<Font> create(std::string family, float pointSize, bool bold, bool italic)
    {
        return ns::Factory<Font>::make(std::move(family), pointSize, bold, italic);
    }

    static ns::Ref<Font> systemFontOfSize(float size);
    static ns::Ref<Font> boldSystemFontOfSize(float size);
    static ns::Ref<Font> italicSystemFontOfSize(float size);
    // "Helvetica", "Helvetica-Bold", "Arial-BoldMT", "LiberationSans-Italic", ...: every family is drawn
    // with the system font (the same widths); "Bold" and "Italic"/"Oblique" in the name choose the face.
    // Nothing for an empty name or a size below 0.
    static ns::Ref<Font> fontWithName(const std::string& name, float size);

    static float systemFontSize() { return 14; }
    static float smallSystemFontSize() { return 12; }
    static float labelFontSize() { return 17; }
    static float buttonFontSize() { return 18; }

    const std::string& familyName() const { return m_family; }
    std::string fontName() const; // "LiberationSans-Bold"
    float pointSize() const { return m_pointSize; }
    bool isBold() const { return m_bold; }
    bool isItalic() const { return m_italic; }
    ns::Ref<Font> fontWithSize(float size) const;

    // Vertical metrics in points, from the face.
    float ascender() const;
    float descender() const; // negative, below the baseline
    float lineHeight() const;

    // The pango description, e.g. "Liberation Sans Bold 11px".
    std::string pangoDescription() const;

    std::string className() const override { return "UIFont"; }
    std::string description() const override;
    bool isEqual(const ns::Object& other) const override;
    std::size_t hash() const override;

protected:
    Font(std::string family, float pointSize, bool bold, bool italic);
    friend ns::Factory<Font>;

private:
    std::string m_family;
    float m_pointSize;
    bool m_bold;
    bool m_italic;
};

} // namespace ui
