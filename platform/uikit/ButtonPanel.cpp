#include "uikit/ButtonPanel.h"

#include "uikit/Button.h"
#include "uikit/OverlayWindow.h"

namespace ui {

long ButtonPanel::addButtonWithTitle(std::string title)
{
    m_titles.push_back(std::move(title));
    return long(m_titles.size()) - 1;
}

std::optional<std::string> ButtonPanel::buttonTitleAtIndex(long index) const
{
    if (index < 0 || index >= numberOfButtons())
        return std::nullopt;
    return m_titles[std::size_t(index)];
}

long ButtonPanel::firstOtherButtonIndex() const
{
    for (long i = 0; i < numberOfButtons(); ++i)
        if (i != m_cancelButtonIndex && i != m_destructiveButtonIndex)
            return i;
    return -1;
}

void ButtonPanel::show(const ns::Ref<View>& owner, const std::function<void(long, Button&)>& style,
                       std::function<void(long)> onTap)
{
    m_buttons.clear();
    auto tap = std::make_shared<std::function<void(long)>>(std::move(onTap));
    for (long i = 0; i < numberOfButtons(); ++i) {
        auto button = Button::create();
        button->setTitle(m_titles[std::size_t(i)]);
        style(i, *button);
        button->addTarget(
            nullptr, [tap, i](const ns::Id&) { (*tap)(i); }, ControlEventTouchUpInside);
        owner->addSubview(button);
        m_buttons.push_back(button);
    }
    m_visible = true;
    owner->layoutSubviews();
    m_window = OverlayWindow::present(owner, WindowLevelAlert);
}

void ButtonPanel::hide(View& owner)
{
    m_visible = false;
    owner.removeFromSuperview();
    for (auto& button : m_buttons)
        button->removeFromSuperview();
    m_buttons.clear();
    if (auto window = m_window.lock())
        window->dismiss();
    m_window.reset();
}

ns::Ref<Button> ButtonPanel::buttonViewAtIndex(long index) const
{
    if (index < 0 || std::size_t(index) >= m_buttons.size())
        return nullptr;
    return m_buttons[std::size_t(index)];
}

} // namespace ui
