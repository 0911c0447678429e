#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"
#include "graphics/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class Touch;
class View;
class Window;

// Plays a person's fingers on the screen: touches are hit-tested among the visible windows (topmost
// first), stay with the view they began in, and arrive together in one event per moment, as the device
// delivers them. After each event the run loop's due work and a layout pass run. Time is the current
// clock's: with the manual clock, moves and holds advance it.
class TouchDriver
{
public:
    TouchDriver();

    // One finger.
    void tap(cg::Point point);
    void doubleTap(cg::Point point);
    void pressAndHold(cg::Point point, ns::TimeInterval seconds);
    void drag(cg::Point from, cg::Point to, int steps = 10);
    // Two fingers around `center`: apart by `fromDistance` then `toDistance` (horizontally), or turned by
    // `degrees` at `radius`.
    void pinch(cg::Point center, cg::Float fromDistance, cg::Float toDistance, int steps = 10);
    void rotate(cg::Point center, cg::Float degrees, cg::Float radius = 50, int steps = 10);

    // Fingers one by one: several touches may be down at once; each call is one event.
    std::vector<ns::Ref<Touch>> touchDown(const std::vector<cg::Point>& points);
    void touchMove(const std::vector<std::pair<ns::Ref<Touch>, cg::Point>>& moves);
    void touchUp(const std::vector<ns::Ref<Touch>>& touches);
    // The system takes every touch away (a call comes in): each gets cancelled.
    void cancelAll();
    const std::vector<ns::Ref<Touch>>& activeTouches() const { return m_active; }

    // Taps the frontmost visible control showing `text`: a button's title, a bar item's title or system
    // item name, a table row's text or detail text, the label beside a switch, or for a control showing
    // only an image the image's name without extension. False when there is none.
    bool press(const std::string& text);
    // The view `press` would tap, or nothing.
    ns::Ref<View> findPressable(const std::string& text) const;
    // Whether a view the screen shows (not hidden, not transparent, on screen) shows exactly `text`, as
    // the view tree's dump quotes it: a label, a title, a field's text, a web page's address...
    bool showsText(const std::string& text) const;
    // Answers the frontmost alert or action sheet by a button's title or index; false without one.
    bool answerAlert(const std::string& title);
    bool answerAlertAtIndex(long index);
    // Types into the first responder a character at a time ("\n" is the return key, "\b" the delete
    // key); false when nothing takes text.
    bool type(const std::string& text);
    // Deletes everything in the first responder's text, a key at a time; false when nothing takes text.
    bool clearText();

    // Moves the manual clock (firing what falls due); with another clock, runs the run loop that long.
    void advance(ns::TimeInterval seconds);
    // Lays out every visible window and runs the run loop's due work.
    void settle();

    // Time between the steps of a drag, pinch or rotation, and the pause inside a double tap.
    ns::TimeInterval stepInterval() const { return m_stepInterval; }
    void setStepInterval(ns::TimeInterval seconds) { m_stepInterval = seconds; }

    // Tap counting: a touch beginning within this time and distance of the last tap's end counts on.
    static constexpr ns::TimeInterval MultiTapInterval = 0.35;
    static constexpr cg::Float MultiTapDistance = 10;

private:
    void deliver(const std::vector<ns::Ref<Touch>>& changed);
    ns::TimeInterval now() const;

    std::vector<ns::Ref<Touch>> m_active;
    ns::TimeInterval m_stepInterval = 0.02;
    std::optional<ns::TimeInterval> m_lastTapEnd;
    cg::Point m_lastTapPoint;
    int m_lastTapCount = 0;
    std::vector<cg::Point> m_beganAt;
};

// The view tree as indented text, one view a line: class, frame, its title or text, hidden, alpha.
std::string dumpViewTree(const View& view, int depth = 0);
// Every visible window of the application.
std::string dumpScreen();

} // namespace ui
