#include "uikit/Control.h"

#include "uikit/Event.h"

namespace ui {

void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    setNeedsDisplay();
}

void Control::setSelected(bool selected)
{
    m_selected = selected;
    setNeedsDisplay();
}

void Control::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

unsigned Control::state() const
{
    unsigned s = ControlStateNormal;
    if (m_highlighted)
        s |= ControlStateHighlighted;
    if (!m_enabled)
        s |= ControlStateDisabled;
    if (m_selected)
        s |= ControlStateSelected;
    return s;
}

void Control::addTarget(ns::Id target, TargetAction::Operation action, unsigned events)
{
    Registration registration{target, target != nullptr, TargetAction(target, std::move(action)), events};
    m_actions.push_back(std::move(registration));
}

void Control::removeTarget(const ns::Id& target, unsigned events)
{
    for (auto& registration : m_actions) {
        if (target && registration.target.lock() != target)
            continue;
        registration.events &= ~events;
    }
    std::erase_if(m_actions, [](const Registration& r) { return r.events == 0; });
}

bool Control::hasActionsForEvents(unsigned events) const
{
    for (const auto& registration : m_actions)
        if (registration.events & events)
            return true;
    return false;
}

void Control::sendActionsForControlEvents(unsigned events)
{
    // The control may be released by an action: keep it, and the list as it was, to the end.
    auto keep = self<Control>();
    auto actions = m_actions;
    for (const auto& registration : actions)
        if (registration.events & events)
            registration.action.send(keep);
}

void Control::touchesBegan(const TouchSet& touches, Event* event)
{
    if (!m_enabled) {
        View::touchesBegan(touches, event);
        return;
    }
    auto touch = touches.anyObject();
    m_tracking = true;
    m_touchInside = true;
    setHighlighted(true);
    unsigned events = ControlEventTouchDown;
    if (touch && touch->tapCount() > 1)
        events |= ControlEventTouchDownRepeat;
    sendActionsForControlEvents(events);
}

void Control::touchesMoved(const TouchSet& touches, Event* event)
{
    if (!m_enabled || !m_tracking) {
        View::touchesMoved(touches, event);
        return;
    }
    auto touch = touches.anyObject();
    bool inside = touch && pointInside(touch->locationInView(this), event);
    unsigned events = inside ? ControlEventTouchDragInside : ControlEventTouchDragOutside;
    if (inside != m_touchInside)
        events |= inside ? ControlEventTouchDragEnter : ControlEventTouchDragExit;
    m_touchInside = inside;
    setHighlighted(inside);
    sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, Event* event)
{
    if (!m_enabled || !m_tracking) {
        View::touchesEnded(touches, event);
        return;
    }
    auto keep = self<Control>();
    auto touch = touches.anyObject();
    bool inside = touch && pointInside(touch->locationInView(this), event);
    m_tracking = false;
    m_touchInside = false;
    setHighlighted(false);
    if (inside)
        didTapInside();
    sendActionsForControlEvents(inside ? ControlEventTouchUpInside : ControlEventTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet& touches, Event* event)
{
    if (!m_tracking) {
        View::touchesCancelled(touches, event);
        return;
    }
    m_tracking = false;
    m_touchInside = false;
    setHighlighted(false);
    sendActionsForControlEvents(ControlEventTouchCancel);
}

} // namespace ui
