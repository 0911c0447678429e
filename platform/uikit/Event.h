#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"
#include "uikit/Touch.h"

namespace ui {

class View;
class Window;

// The touches of one moment: every finger on the screen, each in its own phase.
class Event : public ns::Object
{
public:
    static ns::Ref<Event> create() { return ns::Factory<Event>::make(); }

    const TouchSet& allTouches() const { return m_touches; }
    // The event's touches that belong to `view` (began in it).
    TouchSet touchesForView(const View* view) const;
    TouchSet touchesForWindow(const Window* window) const;
    ns::TimeInterval timestamp() const { return m_timestamp; }

    std::string className() const override { return "UIEvent"; }

    // For the code that delivers touches.
    void setTouches(TouchSet touches) { m_touches = std::move(touches); }
    void setTimestamp(ns::TimeInterval time) { m_timestamp = time; }

protected:
    Event() = default;
    friend ns::Factory<Event>;

private:
    TouchSet m_touches;
    ns::TimeInterval m_timestamp = 0;
};

} // namespace ui
