#include "uikit/TextEngine.h"

#include <pango/pangocairo.h>

#include <cstdlib>

namespace ui {

namespace {

// Each thread has its own font map and context: pango's font maps are not safe to share.
// Each thread has its own font map and context: pango's font maps are not safe to share. The context
// goes first, as it was made from the map.
struct ContextHolder
{
    ns::CHandle<PangoFontMap, g_object_unref> map;
    ns::CHandle<PangoContext, g_object_unref> context;
};

using FontDescription = ns::CHandle<PangoFontDescription, pango_font_description_free>;

FontDescription describe(const Font& font)
{
    FontDescription description(pango_font_description_new());
    PangoFontDescription* d = description.get();
    pango_font_description_set_family(d, font.familyName().c_str());
    pango_font_description_set_weight(d, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, font.isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Sizes are points, and one point is one unit of user space.
    double size = font.pointSize() > 0 ? font.pointSize() : 0.01;
    pango_font_description_set_absolute_size(d, size * PANGO_SCALE);
    return description;
}

} // namespace

PangoContext* TextEngine::context()
{
    thread_local ContextHolder holder;
    if (!holder.context) {
        holder.map.reset(pango_cairo_font_map_new());
        holder.context.reset(pango_font_map_create_context(holder.map.get()));
        PangoContext* context = holder.context.get();
        ns::CHandle<cairo_font_options_t, cairo_font_options_destroy> options(cairo_font_options_create());
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options.get());
        pango_cairo_context_set_resolution(context, 72);
        pango_context_set_language(context, pango_language_from_string("en"));
        pango_context_set_round_glyph_positions(context, FALSE);
    }
    return holder.context.get();
}

TextEngine::Layout TextEngine::layout(const std::string& text, const Font& font)
{
    Layout layout(pango_layout_new(context()));
    pango_layout_set_font_description(layout.get(), describe(font).get());
    if (g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
        pango_layout_set_text(layout.get(), text.data(), int(text.size()));
    } else {
        ns::CHandle<gchar, g_free> valid(g_utf8_make_valid(text.data(), gssize(text.size())));
        pango_layout_set_text(layout.get(), valid.get(), -1);
    }
    return layout;
}

TextEngine::Metrics TextEngine::metrics(const Font& font)
{
    ns::CHandle<PangoFontMetrics, pango_font_metrics_unref> metrics(
        pango_context_get_metrics(context(), describe(font).get(), nullptr));
    return Metrics{float(pango_font_metrics_get_ascent(metrics.get())) / PANGO_SCALE,
                   float(pango_font_metrics_get_descent(metrics.get())) / PANGO_SCALE};
}

} // namespace ui
