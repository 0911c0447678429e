#include "uikit/OverlayWindow.h"

#include "uikit/Application.h"
#include "uikit/Color.h"

#include <algorithm>
#include <vector>

namespace ui {
namespace {

std::vector<ns::Ref<OverlayWindow>>& showing()
{
    static std::vector<ns::Ref<OverlayWindow>> windows;
    return windows;
}

} // namespace

OverlayWindow::OverlayWindow()
{
    setBackgroundColor(Color::colorWithWhite(0, 0.4f));
    setOpaque(false);
}

ns::Ref<OverlayWindow> OverlayWindow::present(const ns::Ref<View>& content, WindowLevel level)
{
    auto window = OverlayWindow::create();
    window->setWindowLevel(level);
    window->m_previousKeyWindow = Application::sharedApplication().keyWindow();
    window->addSubview(content);
    showing().push_back(window);
    window->makeKeyAndVisible();
    return window;
}

void OverlayWindow::dismiss()
{
    auto keep = self<OverlayWindow>();
    setHidden(true);
    std::erase(showing(), keep);
    auto& application = Application::sharedApplication();
    if (application.keyWindow().get() == this || !application.keyWindow()) {
        if (auto previous = m_previousKeyWindow.lock(); previous && !previous->isHidden())
            previous->makeKeyWindow();
        else
            application.setKeyWindow(nullptr);
    }
}

} // namespace ui
