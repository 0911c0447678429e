#include "uikit/TabBarController.h"

#include "graphics/Context.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/TabBarItem.h"
#include "uikit/View.h"

#include <algorithm>

namespace ui {

namespace {
constexpr cg::Float TabBarHeight = 49;
}

TabBarController::TabBarController() : m_tabBar(TabBar::create())
{
}

ns::Ref<TabBarController> TabBarController::create()
{
    auto controller = ns::Factory<TabBarController>::make();
    controller->m_tabBar->setSelectAction(
        [weak = controller->weakSelf<TabBarController>()](std::size_t index) {
            if (auto tabs = weak.lock())
                tabs->setSelectedIndex(index);
        });
    return controller;
}

void TabBarController::loadView()
{
    auto container = View::create(Application::sharedApplication().applicationFrame());
    setView(container);
    cg::Rect b = container->bounds();
    m_tabBar->setFrame(cg::makeRect(0, b.size.height - TabBarHeight, b.size.width, TabBarHeight));
    container->addSubview(m_tabBar);
    showSelected(nullptr);
}

cg::Rect TabBarController::contentFrame()
{
    cg::Rect b = view()->bounds();
    return cg::makeRect(0, 0, b.size.width, std::max<cg::Float>(0, b.size.height - TabBarHeight));
}

void TabBarController::setViewControllers(std::vector<ns::Ref<ViewController>> controllers, bool)
{
    auto previous = selectedViewController();
    for (auto& controller : std::vector<ns::Ref<ViewController>>(childViewControllers()))
        if (std::find(controllers.begin(), controllers.end(), controller) == controllers.end())
            controller->removeFromParentViewController();
    for (auto& controller : controllers)
        addChildViewController(controller);
    if (m_selectedIndex >= controllers.size())
        m_selectedIndex = 0;
    showSelected(previous);
}

ns::Ref<ViewController> TabBarController::selectedViewController() const
{
    const auto& children = childViewControllers();
    return m_selectedIndex < children.size() ? children[m_selectedIndex] : nullptr;
}

void TabBarController::setSelectedIndex(std::size_t index)
{
    if (index >= childViewControllers().size() || index == m_selectedIndex)
        return;
    auto previous = selectedViewController();
    m_selectedIndex = index;
    showSelected(previous);
}

void TabBarController::setSelectedViewController(const ViewController* controller)
{
    const auto& children = childViewControllers();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == controller)
            setSelectedIndex(i);
}

std::vector<ns::Ref<ViewController>> TabBarController::visibleChildren() const
{
    if (auto selected = selectedViewController())
        return {selected};
    return {};
}

void TabBarController::showSelected(const ns::Ref<ViewController>& previous)
{
    std::vector<std::string> titles;
    for (auto& controller : childViewControllers())
        titles.push_back(controller->tabBarItem()->title().value_or(controller->title().value_or("")));
    m_tabBar->setTitles(std::move(titles), m_selectedIndex);
    auto selected = selectedViewController();
    if (selected == previous || !isViewLoaded())
        return;
    bool onScreen = isVisible();
    if (onScreen && previous)
        previous->notifyAppearance(false, true);
    if (onScreen && selected)
        selected->notifyAppearance(true, true);
    if (previous && previous->isViewLoaded() && previous->view()->superview() == view().get())
        previous->view()->removeFromSuperview();
    if (selected) {
        selected->view()->setFrame(contentFrame());
        view()->insertSubviewBelowSubview(selected->view(), m_tabBar.get());
    }
    if (onScreen && previous)
        previous->notifyAppearance(false, false);
    if (onScreen && selected)
        selected->notifyAppearance(true, false);
}

TabBar::TabBar() : View(cg::makeRect(0, 0, 320, TabBarHeight))
{
}

void TabBar::setTitles(std::vector<std::string> titles, std::size_t selected)
{
    m_titles = std::move(titles);
    m_selected = selected;
    setNeedsLayout();
}

void TabBar::layoutSubviews()
{
    // Buttons are kept while the tabs stay the same, so a touch in progress keeps its view.
    if (m_buttons.size() != m_titles.size()) {
        for (auto& button : m_buttons)
            button->removeFromSuperview();
        m_buttons.clear();
        for (std::size_t i = 0; i < m_titles.size(); ++i) {
            auto button = Button::create();
            button->titleLabel()->setFont(Font::boldSystemFontOfSize(10));
            button->addTarget(
                nullptr,
                [weak = weakSelf<TabBar>(), i](const ns::Id&) {
                    auto bar = weak.lock();
                    if (bar && bar->m_selectAction)
                        bar->m_selectAction(i);
                },
                ControlEventTouchUpInside);
            addSubview(button);
            m_buttons.push_back(button);
        }
    }
    if (m_titles.empty())
        return;
    cg::Float width = bounds().size.width / cg::Float(m_titles.size());
    for (std::size_t i = 0; i < m_titles.size(); ++i) {
        auto* button = static_cast<Button*>(m_buttons[i].get());
        button->setFrame(cg::makeRect(width * cg::Float(i), 0, width, bounds().size.height));
        button->setTitle(m_titles[i]);
        button->setTitleColor(i == m_selected ? Color::whiteColor() : Color::lightGrayColor());
    }
}

void TabBar::drawRect(cg::Context& context, cg::Rect)
{
    context.setRGBFillColor(0.1f, 0.1f, 0.1f, 1);
    context.fillRect(bounds());
}

} // namespace ui
