#pragma once

#include "foundation/Object.h"
#include "uikit/ApplicationDelegate.h"

namespace ui {
class Window;
}

namespace velmo {

// The screen velmo shows when no application is registered: a title label, a switch beside "Sound", a
// name field, a table of ten rows and a toolbar ("Hello" opens an alert, Action a sheet). Whatever is
// done to it shows in the title label, so scripts can see their effect in a dump.
class TestScreenDelegate : public ns::Object, public ui::ApplicationDelegate
{
public:
    void applicationDidFinishLaunching(ui::Application& application) override;
    const ns::Ref<ui::Window>& window() const { return m_window; }

private:
    ns::Ref<ui::Window> m_window;
};

} // namespace velmo
