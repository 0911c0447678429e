#include "uikit/Responder.h"

namespace ui {
namespace {

// Cleared by the responder's destructor, so it never dangles.
Responder* g_firstResponder = nullptr;

} // namespace

Responder::~Responder()
{
    if (g_firstResponder == this)
        g_firstResponder = nullptr;
}

bool Responder::becomeFirstResponder()
{
    if (g_firstResponder == this)
        return true;
    if (!canBecomeFirstResponder())
        return false;
    if (g_firstResponder && !g_firstResponder->resignFirstResponder())
        return false;
    g_firstResponder = this;
    return true;
}

bool Responder::resignFirstResponder()
{
    if (!canResignFirstResponder())
        return false;
    if (g_firstResponder == this)
        g_firstResponder = nullptr;
    return true;
}

bool Responder::isFirstResponder() const
{
    return g_firstResponder == this;
}

Responder* Responder::firstResponder()
{
    return g_firstResponder;
}

void Responder::touchesBegan(const TouchSet& touches, Event* event)
{
    if (auto* next = nextResponder())
        next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, Event* event)
{
    if (auto* next = nextResponder())
        next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, Event* event)
{
    if (auto* next = nextResponder())
        next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, Event* event)
{
    if (auto* next = nextResponder())
        next->touchesCancelled(touches, event);
}

} // namespace ui
