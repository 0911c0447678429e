#pragma once

#include "foundation/Object.h"

namespace ui {

class Event;
class TouchSet;

// Something that can take touches and become the first responder (the one that receives typed text).
class Responder : public ns::Object
{
public:
    ~Responder() override;

    // Where unhandled touches go next: a view's controller or superview, a controller's view's superview.
    virtual Responder* nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // The responder that takes typed text now, or nothing.
    static Responder* firstResponder();

    // The defaults hand the touches on to the next responder.
    virtual void touchesBegan(const TouchSet& touches, Event* event);
    virtual void touchesMoved(const TouchSet& touches, Event* event);
    virtual void touchesEnded(const TouchSet& touches, Event* event);
    virtual void touchesCancelled(const TouchSet& touches, Event* event);

    std::string className() const override { return "UIResponder"; }

protected:
    Responder() = default;
};

} // namespace ui
