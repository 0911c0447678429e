#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"
#include "graphics/Geometry.h"

#include <cstdint>
#include <vector>

namespace ui {

class View;
class Window;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen, from the moment it lands until it lifts. Its identity is the object itself.
class Touch : public ns::Object
{
public:
    static ns::Ref<Touch> create() { return ns::Factory<Touch>::make(); }

    TouchPhase phase() const { return m_phase; }
    int tapCount() const { return m_tapCount; }
    ns::TimeInterval timestamp() const { return m_timestamp; }
    // The view it began in: the touch stays with that view even when the finger moves off it.
    const ns::Ref<View>& view() const { return m_view; }
    const ns::Ref<Window>& window() const { return m_window; }

    // In `view`'s coordinates; window coordinates for nothing.
    cg::Point locationInView(const View* view) const;
    cg::Point previousLocationInView(const View* view) const;

    // A stable order between touches, independent of any set's iteration order.
    uint64_t identity() const { return m_identity; }

    std::string className() const override { return "UITouch"; }

    // For the code that delivers touches (the touch driver).
    void setPhase(TouchPhase phase) { m_phase = phase; }
    void setTapCount(int count) { m_tapCount = count; }
    void setTimestamp(ns::TimeInterval time) { m_timestamp = time; }
    void setView(ns::Ref<View> view) { m_view = std::move(view); }
    void setWindow(ns::Ref<Window> window) { m_window = std::move(window); }
    // Moves the finger to a point in window coordinates; the old point becomes the previous location.
    void moveTo(cg::Point windowPoint);
    void setLocation(cg::Point windowPoint); // both current and previous
    cg::Point windowLocation() const { return m_location; }

protected:
    Touch() = default;
    friend ns::Factory<Touch>;

private:
    static uint64_t nextIdentity();

    TouchPhase m_phase = TouchPhase::Began;
    int m_tapCount = 1;
    ns::TimeInterval m_timestamp = 0;
    ns::Ref<View> m_view;
    ns::Ref<Window> m_window;
    cg::Point m_location;
    cg::Point m_previousLocation;
    uint64_t m_identity = nextIdentity();
};

// A set of touches: each touch at most once, kept in the order added.
class TouchSet
{
public:
    TouchSet() = default;
    TouchSet(std::initializer_list<ns::Ref<Touch>> touches);

    void add(const ns::Ref<Touch>& touch);
    void remove(const ns::Ref<Touch>& touch);
    bool contains(const ns::Ref<Touch>& touch) const;
    std::size_t count() const { return m_touches.size(); }
    bool empty() const { return m_touches.empty(); }
    ns::Ref<Touch> anyObject() const { return m_touches.empty() ? nullptr : m_touches.front(); }
    const std::vector<ns::Ref<Touch>>& allObjects() const { return m_touches; }
    // The touches of this set that are not in `other`.
    TouchSet minus(const TouchSet& other) const;

    auto begin() const { return m_touches.begin(); }
    auto end() const { return m_touches.end(); }

private:
    std::vector<ns::Ref<Touch>> m_touches;
};

} // namespace ui
