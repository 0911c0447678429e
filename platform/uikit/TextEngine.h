#pragma once

#include "foundation/CHandle.h"
#include "uikit/Font.h"

#include <glib-object.h>

#include <string>

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace ui {

// The pango set-up shared by measuring and drawing: one context per thread with fixed font options
// (no hinting, unhinted metrics), so that text lays out the same at every scale and in every context.
class TextEngine
{
public:
    using Layout = ns::CHandle<PangoLayout, g_object_unref>;

    static PangoContext* context();
    // A layout of `text` (invalid UTF-8 is replaced) in `font`.
    static Layout layout(const std::string& text, const Font& font);

    struct Metrics
    {
        float ascent;
        float descent;
    };
    static Metrics metrics(const Font& font);
};

} // namespace ui
