#include "uikit/TabBarController.h"

#include "graphics/Context.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/TabBarItem.h"
#include "uikit/View.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr cg::Float TabBarHeight = 49;
// The item's image sits this far from the bar's top, its title this high at the bottom.
constexpr cg::Float ImageTop = 4;
constexpr cg::Float TitleHeight = 14;

// The image's shape (its opaque pixels) filled with one colour, as a tab bar shows its items' images.
ns::Ref<Image> shapeOf(const Image& image, const cg::Color& color)
{
    cg::Size size = image.size();
    if (size.width <= 0 || size.height <= 0)
        return nullptr;
    cg::Rect rect = cg::makeRect(0, 0, size.width, size.height);
    beginImageContextWithOptions(size, false, 0);
    auto context = currentContext();
    if (!context) {
        endImageContext();
        return nullptr;
    }
    image.drawInRect(rect);
    context->setBlendMode(cg::BlendMode::SourceIn);
    context->setFillColor(color);
    context->fillRect(rect);
    auto shape = imageFromCurrentImageContext();
    endImageContext();
    return shape;
}

} // namespace

// One tab: the item's image as a shape over its title, both centred.
class TabBarButton : public Button
{
public:
    static ns::Ref<TabBarButton> create() { return ns::Factory<TabBarButton>::make(); }

    void show(const TabBarItem& item, bool selected)
    {
        std::optional<std::string> title = item.title();
        if (title != titleForState(ControlStateNormal))
            setTitle(title);
        setTitleColor(selected ? Color::whiteColor() : Color::colorWithRed(0.6f, 0.6f, 0.6f, 1));
        const auto& image = item.image();
        if (image != m_source || selected != m_selected) {
            m_source = image;
            m_selected = selected;
            cg::Color tint = selected ? cg::Color{0.35f, 0.7f, 1, 1} : cg::Color{0.6f, 0.6f, 0.6f, 1};
            setImage(image ? shapeOf(*image, tint) : nullptr);
        }
        setEnabled(item.isEnabled());
        setNeedsLayout();
    }

    void layoutSubviews() override
    {
        Button::layoutSubviews();
        cg::Rect b = bounds();
        if (auto image = currentImage()) {
            cg::Size size = image->size();
            cg::Float room = std::max<cg::Float>(0, b.size.height - TitleHeight - ImageTop);
            cg::Float scale = size.height > room && size.height > 0 ? room / size.height : 1;
            cg::Size shown = cg::makeSize(size.width * scale, size.height * scale);
            imageView()->setFrame(cg::makeRect(std::round((b.size.width - shown.width) / 2), ImageTop,
                                               shown.width, shown.height));
        }
        titleLabel()->setFont(Font::boldSystemFontOfSize(10));
        titleLabel()->setTextAlignment(TextAlignment::Center);
        titleLabel()->setFrame(cg::makeRect(0, b.size.height - TitleHeight, b.size.width, TitleHeight - 2));
    }

    std::string className() const override { return "UITabBarButton"; }

protected:
    TabBarButton() = default;
    friend ns::Factory<TabBarButton>;

private:
    ns::Ref<Image> m_source;
    bool m_selected = false;
};

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
    std::vector<ns::Ref<TabBarItem>> items;
    for (auto& controller : childViewControllers())
        items.push_back(controller->tabBarItem());
    m_tabBar->setItems(std::move(items), m_selectedIndex);
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

void TabBar::setItems(std::vector<ns::Ref<TabBarItem>> items, std::size_t selected)
{
    m_items = std::move(items);
    m_selected = selected;
    setNeedsLayout();
}

ns::Ref<View> TabBar::buttonAtIndex(std::size_t index) const
{
    return index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void TabBar::layoutSubviews()
{
    // Buttons are kept while the tabs stay the same, so a touch in progress keeps its view.
    if (m_buttons.size() != m_items.size()) {
        for (auto& button : m_buttons)
            button->removeFromSuperview();
        m_buttons.clear();
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            auto button = TabBarButton::create();
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
    if (m_items.empty())
        return;
    cg::Float width = bounds().size.width / cg::Float(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        auto* button = static_cast<TabBarButton*>(m_buttons[i].get());
        button->setFrame(cg::makeRect(width * cg::Float(i), 0, width, bounds().size.height));
        button->show(*m_items[i], i == m_selected);
    }
}

void TabBar::drawRect(cg::Context& context, cg::Rect)
{
    context.setRGBFillColor(0.1f, 0.1f, 0.1f, 1);
    context.fillRect(bounds());
}

} // namespace ui
