#include "uikit/Event.h"

#include "uikit/View.h"
#include "uikit/Window.h"

namespace ui {

TouchSet Event::touchesForView(const View* view) const
{
    TouchSet result;
    for (const auto& touch : m_touches)
        if (touch->view().get() == view)
            result.add(touch);
    return result;
}

TouchSet Event::touchesForWindow(const Window* window) const
{
    TouchSet result;
    for (const auto& touch : m_touches)
        if (touch->window().get() == window)
            result.add(touch);
    return result;
}

} // namespace ui
