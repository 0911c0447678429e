#include "uikit/ActionSheet.h"

#include "graphics/Context.h"
#include "uikit/Application.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/OverlayWindow.h"
#include "uikit/StringDrawing.h"
#include "uikit/TabBarController.h"
#include "uikit/Toolbar.h"

namespace ui {
namespace {
constexpr cg::Float ButtonHeight = 44;
}

ActionSheet::ActionSheet() : ActionSheet(std::nullopt, nullptr, std::nullopt, std::nullopt)
{
}

ActionSheet::ActionSheet(std::optional<std::string> title, const ns::Ref<ActionSheetDelegate>& delegate,
                         std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : View(cg::makeRect(0, 0, 320, 100)), m_title(std::move(title)), m_delegate(delegate),
      m_titleLabel(Label::create())
{
    if (destructiveButtonTitle)
        m_destructiveButtonIndex = addButtonWithTitle(*destructiveButtonTitle);
    for (auto& other : otherButtonTitles)
        addButtonWithTitle(std::move(other));
    if (cancelButtonTitle)
        m_cancelButtonIndex = addButtonWithTitle(*cancelButtonTitle);
    m_titleLabel->setBackgroundColor(nullptr);
    m_titleLabel->setTextColor(Color::colorWithWhite(0.85f, 1));
    m_titleLabel->setFont(Font::systemFontOfSize(13));
    m_titleLabel->setTextAlignment(TextAlignment::Center);
    m_titleLabel->setNumberOfLines(0);
    m_titleLabel->setLineBreakMode(LineBreakMode::WordWrap);
    addSubview(m_titleLabel);
}

long ActionSheet::addButtonWithTitle(std::string title)
{
    m_buttonTitles.push_back(std::move(title));
    return long(m_buttonTitles.size()) - 1;
}

std::optional<std::string> ActionSheet::buttonTitleAtIndex(long index) const
{
    if (index < 0 || index >= numberOfButtons())
        return std::nullopt;
    return m_buttonTitles[std::size_t(index)];
}

long ActionSheet::firstOtherButtonIndex() const
{
    for (long i = 0; i < numberOfButtons(); ++i)
        if (i != m_cancelButtonIndex && i != m_destructiveButtonIndex)
            return i;
    return -1;
}

void ActionSheet::showFromToolbar(const ns::Ref<Toolbar>& toolbar)
{
    show(toolbar);
}

void ActionSheet::showFromTabBar(const ns::Ref<TabBar>& tabBar)
{
    show(tabBar);
}

void ActionSheet::showFromBarButtonItem(const ns::Ref<BarButtonItem>& item, bool)
{
    show(item);
}

void ActionSheet::showInView(const ns::Ref<View>& view)
{
    show(view);
}

void ActionSheet::show(ns::Ref<ns::Object> from)
{
    if (m_visible)
        return;
    auto keep = self<ActionSheet>();
    m_shownFrom = std::move(from);
    if (auto delegate = m_delegate.lock())
        delegate->willPresentActionSheet(*this);
    m_buttons.clear();
    for (long i = 0; i < numberOfButtons(); ++i) {
        auto button = Button::create();
        button->setTitle(m_buttonTitles[std::size_t(i)]);
        button->titleLabel()->setFont(Font::boldSystemFontOfSize(19));
        ns::Ref<Color> fill = Color::colorWithWhite(0.96f, 1);
        ns::Ref<Color> text = Color::blackColor();
        if (i == m_destructiveButtonIndex) {
            fill = Color::colorWithRed(0.85f, 0.15f, 0.15f, 1);
            text = Color::whiteColor();
        } else if (i == m_cancelButtonIndex) {
            fill = Color::colorWithWhite(0.3f, 1);
            text = Color::whiteColor();
        }
        button->setBackgroundColor(fill);
        button->setTitleColor(text);
        button->layer()->setCornerRadius(8);
        button->layer()->setBorderWidth(1);
        button->layer()->setBorderColor(Color::colorWithWhite(0, 0.4f));
        auto weak = weakSelf<ActionSheet>();
        button->addTarget(
            nullptr,
            [weak, i](const ns::Id&) {
                if (auto sheet = weak.lock())
                    sheet->tapButtonAtIndex(i);
            },
            ControlEventTouchUpInside);
        addSubview(button);
        m_buttons.push_back(button);
    }
    m_visible = true;
    layoutSubviews();
    m_window = OverlayWindow::present(keep, WindowLevelAlert);
    if (auto delegate = m_delegate.lock())
        delegate->didPresentActionSheet(*this);
}

void ActionSheet::tapButtonAtIndex(long index)
{
    if (!m_visible)
        return;
    auto keep = self<ActionSheet>();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void ActionSheet::dismissWithClickedButtonIndex(long index, bool)
{
    if (!m_visible)
        return;
    auto keep = self<ActionSheet>();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetWillDismissWithButtonIndex(*this, index);
    m_visible = false;
    removeFromSuperview();
    for (auto& button : m_buttons)
        button->removeFromSuperview();
    m_buttons.clear();
    if (auto window = m_window.lock())
        window->dismiss();
    m_window.reset();
    m_shownFrom.reset();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetDidDismissWithButtonIndex(*this, index);
}

ns::Ref<Button> ActionSheet::buttonViewAtIndex(long index) const
{
    if (index < 0 || std::size_t(index) >= m_buttons.size())
        return nullptr;
    return m_buttons[std::size_t(index)];
}

void ActionSheet::layoutSubviews()
{
    cg::Rect screen = Application::screenBounds();
    const cg::Float inner = screen.size.width - 40;
    cg::Float y = 12;
    m_titleLabel->setText(m_title);
    if (m_title && !m_title->empty()) {
        cg::Size s = sizeWithFont(*m_title, *m_titleLabel->font(), cg::Size{inner, 1000});
        m_titleLabel->setFrame(cg::makeRect(20, y, inner, s.height));
        y += s.height + 10;
    }
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (long(i) == m_cancelButtonIndex)
            continue;
        m_buttons[i]->setFrame(cg::makeRect(20, y, inner, ButtonHeight));
        y += ButtonHeight + 8;
    }
    if (m_cancelButtonIndex >= 0 && std::size_t(m_cancelButtonIndex) < m_buttons.size()) {
        y += 8;
        m_buttons[std::size_t(m_cancelButtonIndex)]->setFrame(cg::makeRect(20, y, inner, ButtonHeight));
        y += ButtonHeight + 8;
    }
    y += 8;
    setFrame(cg::makeRect(0, screen.size.height - y, screen.size.width, y));
}

void ActionSheet::drawRect(cg::Context& context, cg::Rect)
{
    context.setRGBFillColor(0.12f, 0.14f, 0.2f, 0.94f);
    context.fillRect(bounds());
}

} // namespace ui
