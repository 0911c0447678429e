#include "uikit/Touch.h"

#include "uikit/View.h"

#include <algorithm>
#include <atomic>

namespace ui {

uint64_t Touch::nextIdentity()
{
    static std::atomic<uint64_t> next{1};
    return next++;
}

cg::Point Touch::locationInView(const View* view) const
{
    return view ? view->convertPointFromView(m_location, nullptr) : m_location;
}

cg::Point Touch::previousLocationInView(const View* view) const
{
    return view ? view->convertPointFromView(m_previousLocation, nullptr) : m_previousLocation;
}

void Touch::moveTo(cg::Point windowPoint)
{
    m_previousLocation = m_location;
    m_location = windowPoint;
}

void Touch::setLocation(cg::Point windowPoint)
{
    m_previousLocation = windowPoint;
    m_location = windowPoint;
}

TouchSet::TouchSet(std::initializer_list<ns::Ref<Touch>> touches)
{
    for (const auto& touch : touches)
        add(touch);
}

void TouchSet::add(const ns::Ref<Touch>& touch)
{
    if (touch && !contains(touch))
        m_touches.push_back(touch);
}

void TouchSet::remove(const ns::Ref<Touch>& touch)
{
    std::erase(m_touches, touch);
}

bool TouchSet::contains(const ns::Ref<Touch>& touch) const
{
    return std::find(m_touches.begin(), m_touches.end(), touch) != m_touches.end();
}

TouchSet TouchSet::minus(const TouchSet& other) const
{
    TouchSet result;
    for (const auto& touch : m_touches)
        if (!other.contains(touch))
            result.add(touch);
    return result;
}

} // namespace ui
