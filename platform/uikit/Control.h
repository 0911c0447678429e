#pragma once

#include "uikit/Action.h"
#include "uikit/View.h"

#include <vector>

namespace ui {

enum ControlEvents : unsigned {
    ControlEventTouchDown = 1 << 0,
    ControlEventTouchDownRepeat = 1 << 1,
    ControlEventTouchDragInside = 1 << 2,
    ControlEventTouchDragOutside = 1 << 3,
    ControlEventTouchDragEnter = 1 << 4,
    ControlEventTouchDragExit = 1 << 5,
    ControlEventTouchUpInside = 1 << 6,
    ControlEventTouchUpOutside = 1 << 7,
    ControlEventTouchCancel = 1 << 8,
    ControlEventValueChanged = 1 << 12,
    ControlEventEditingDidBegin = 1 << 16,
    ControlEventEditingChanged = 1 << 17,
    ControlEventEditingDidEnd = 1 << 18,
    ControlEventEditingDidEndOnExit = 1 << 19,
    ControlEventAllTouchEvents = 0x00000FFF,
    ControlEventAllEditingEvents = 0x000F0000,
    ControlEventAllEvents = 0xFFFFFFFF,
};

enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1 << 0,
    ControlStateDisabled = 1 << 1,
    ControlStateSelected = 1 << 2,
};

// A view that turns touches into events and sends its targets' actions for them.
class Control : public View
{
public:
    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    unsigned state() const;
    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }

    void addTarget(ns::Id target, TargetAction::Operation action, unsigned events);
    // Removes the actions of `target` (nothing: every target) for the events.
    void removeTarget(const ns::Id& target, unsigned events);
    bool hasActionsForEvents(unsigned events) const;
    // Sends every action registered for any of the events, in the order added.
    virtual void sendActionsForControlEvents(unsigned events);

    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

    std::string className() const override { return "UIControl"; }

protected:
    using View::View;

    // Called on a tap that ends inside, before the touch-up-inside actions.
    virtual void didTapInside() {}

private:
    struct Registration
    {
        ns::Weak<ns::Object> target;
        bool hadTarget;
        TargetAction action;
        unsigned events;
    };
    std::vector<Registration> m_actions;
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_tracking = false;
    bool m_touchInside = false;
};

} // namespace ui
