#include "uikit/TextEngine.h"

#include <pango/pangocairo.h>

#include <cstdlib>

namespace ui {

namespace {

// Each thread has its own font map and context: pango's font maps are not safe to share.
struct ContextHolder
{
    PangoFontMap* map = nullptr;
    PangoContext* context = nullptr;
    ~ContextHolder()
    {
        if (context)
            g_object_unref(context);
        if (map)
            g_object_unref(map);
    }
};

PangoFontDescription* describe(const Font& font)
{
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.familyName().c_str());
    pango_font_description_set_weight(description, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, font.isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Sizes are points, and one point is one unit of user space.
    double size = font.pointSize() > 0 ? font.pointSize() : 0.01;
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    return description;
}

} // namespace

void TextEngine::LayoutDeleter::operator()(PangoLayout* layout) const
{
    g_object_unref(layout);
}

PangoContext* TextEngine::context()
{
    thread_local ContextHolder holder;
    if (!holder.context) {
        holder.map = pango_cairo_font_map_new();
        holder.context = pango_font_map_create_context(holder.map);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(holder.context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(holder.context, 72);
        pango_context_set_language(holder.context, pango_language_from_string("en"));
        pango_context_set_round_glyph_positions(holder.context, FALSE);
    }
    return holder.context;
}

TextEngine::Layout TextEngine::layout(const std::string& text, const Font& font)
{
    Layout layout(pango_layout_new(context()));
    PangoFontDescription* description = describe(font);
    pango_layout_set_font_description(layout.get(), description);
    pango_font_description_free(description);
    if (g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
        pango_layout_set_text(layout.get(), text.data(), int(text.size()));
    } else {
        gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
        pango_layout_set_text(layout.get(), valid, -1);
        g_free(valid);
    }
    return layout;
}

TextEngine::Metrics TextEngine::metrics(const Font& font)
{
    PangoFontDescription* description = describe(font);
    PangoFontMetrics* metrics = pango_context_get_metrics(context(), description, nullptr);
    Metrics result{float(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE,
                   float(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE};
    pango_font_metrics_unref(metrics);
    pango_font_description_free(description);
    return result;
}

} // namespace ui
