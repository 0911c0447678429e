#pragma once

// A screen that turns to the orientations it is given, every way by default.
#include "uikit/ViewController.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace testkit {

class TurningController : public ui::ViewController
{
public:
    static ns::Ref<TurningController>
    create(std::vector<ui::InterfaceOrientation> allowed = {
               ui::InterfaceOrientation::Portrait, ui::InterfaceOrientation::PortraitUpsideDown,
               ui::InterfaceOrientation::LandscapeLeft, ui::InterfaceOrientation::LandscapeRight})
    {
        return ns::Factory<TurningController>::make(std::move(allowed));
    }
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) const override
    {
        return std::find(m_allowed.begin(), m_allowed.end(), orientation) != m_allowed.end();
    }

protected:
    explicit TurningController(std::vector<ui::InterfaceOrientation> allowed) : m_allowed(std::move(allowed))
    {
    }
    friend ns::Factory<TurningController>;

private:
    std::vector<ui::InterfaceOrientation> m_allowed;
};

} // namespace testkit
