#pragma once

#include "foundation/Object.h"

namespace ui {
class ViewController;
}

// The editor's navigation bar dressing: the tint, the logo and the Done button that closes it.
class DesignPart : public ns::Object
{
public:
    static void addHeaderLabel(ui::ViewController& controller);
    static void makeHeaderForSettingsViewNavigator(ui::ViewController& controller);

    std::string className() const override { return "DesignPart"; }

protected:
    DesignPart() = default;
};
