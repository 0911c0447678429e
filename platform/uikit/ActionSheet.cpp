#include "uikit/ActionSheet.h"

#include "graphics/Context.h"
#include "uikit/Application.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
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
        m_panel.setDestructiveButtonIndex(addButtonWithTitle(*destructiveButtonTitle));
    for (auto& other : otherButtonTitles)
        addButtonWithTitle(std::move(other));
    if (cancelButtonTitle)
        m_panel.setCancelButtonIndex(addButtonWithTitle(*cancelButtonTitle));
    m_titleLabel->setBackgroundColor(nullptr);
    m_titleLabel->setTextColor(Color::colorWithWhite(0.85f, 1));
    m_titleLabel->setFont(Font::systemFontOfSize(13));
    m_titleLabel->setTextAlignment(TextAlignment::Center);
    m_titleLabel->setNumberOfLines(0);
    m_titleLabel->setLineBreakMode(LineBreakMode::WordWrap);
    addSubview(m_titleLabel);
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
    if (isVisible())
        return;
    auto keep = self<ActionSheet>();
    m_shownFrom = std::move(from);
    if (auto delegate = m_delegate.lock())
        delegate->willPresentActionSheet(*this);
    auto weak = weakSelf<ActionSheet>();
    m_panel.show(
        keep,
        [this](long i, Button& button) {
            button.titleLabel()->setFont(Font::boldSystemFontOfSize(19));
            ns::Ref<Color> fill = Color::colorWithWhite(0.96f, 1);
            ns::Ref<Color> text = Color::blackColor();
            if (i == destructiveButtonIndex()) {
                fill = Color::colorWithRed(0.85f, 0.15f, 0.15f, 1);
                text = Color::whiteColor();
            } else if (i == cancelButtonIndex()) {
                fill = Color::colorWithWhite(0.3f, 1);
                text = Color::whiteColor();
            }
            button.setBackgroundColor(fill);
            button.setTitleColor(text);
            button.layer()->setCornerRadius(8);
            button.layer()->setBorderWidth(1);
            button.layer()->setBorderColor(Color::colorWithWhite(0, 0.4f));
        },
        [weak](long i) {
            if (auto sheet = weak.lock())
                sheet->tapButtonAtIndex(i);
        });
    if (auto delegate = m_delegate.lock())
        delegate->didPresentActionSheet(*this);
}

void ActionSheet::tapButtonAtIndex(long index)
{
    if (!isVisible())
        return;
    auto keep = self<ActionSheet>();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void ActionSheet::dismissWithClickedButtonIndex(long index, bool)
{
    if (!isVisible())
        return;
    auto keep = self<ActionSheet>();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetWillDismissWithButtonIndex(*this, index);
    m_panel.hide(*this);
    m_shownFrom.reset();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetDidDismissWithButtonIndex(*this, index);
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
    const long cancel = cancelButtonIndex();
    for (std::size_t i = 0; i < m_panel.buttonViewCount(); ++i) {
        if (long(i) == cancel)
            continue;
        m_panel.buttonView(i)->setFrame(cg::makeRect(20, y, inner, ButtonHeight));
        y += ButtonHeight + 8;
    }
    if (auto button = m_panel.buttonViewAtIndex(cancel)) {
        y += 8;
        button->setFrame(cg::makeRect(20, y, inner, ButtonHeight));
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
