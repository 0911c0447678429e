#include "uikit/AlertView.h"

#include "graphics/Context.h"
#include "uikit/Application.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/OverlayWindow.h"
#include "uikit/StringDrawing.h"

#include <cmath>

namespace ui {
namespace {

constexpr cg::Float AlertWidth = 284;
constexpr cg::Float ButtonHeight = 43;

std::vector<ns::Ref<AlertView>>& history()
{
    static std::vector<ns::Ref<AlertView>> alerts;
    return alerts;
}

} // namespace

AlertView::AlertView() : AlertView(std::nullopt, std::nullopt, nullptr, std::nullopt)
{
}

AlertView::AlertView(std::optional<std::string> title, std::optional<std::string> message,
                     const ns::Ref<AlertViewDelegate>& delegate, std::optional<std::string> cancelButtonTitle,
                     std::vector<std::string> otherButtonTitles)
    : View(cg::makeRect(0, 0, AlertWidth, 120)), m_title(std::move(title)), m_message(std::move(message)),
      m_delegate(delegate), m_titleLabel(Label::create()), m_messageLabel(Label::create())
{
    if (cancelButtonTitle)
        m_cancelButtonIndex = addButtonWithTitle(*cancelButtonTitle);
    for (auto& other : otherButtonTitles)
        addButtonWithTitle(std::move(other));
    setOpaque(false);
    for (auto* label : {m_titleLabel.get(), m_messageLabel.get()}) {
        label->setBackgroundColor(nullptr);
        label->setTextColor(Color::whiteColor());
        label->setTextAlignment(TextAlignment::Center);
        label->setNumberOfLines(0);
        label->setLineBreakMode(LineBreakMode::WordWrap);
    }
    m_titleLabel->setFont(Font::boldSystemFontOfSize(17));
    m_messageLabel->setFont(Font::systemFontOfSize(15));
    addSubview(m_titleLabel);
    addSubview(m_messageLabel);
}

long AlertView::addButtonWithTitle(std::string title)
{
    m_buttonTitles.push_back(std::move(title));
    setNeedsLayout();
    return long(m_buttonTitles.size()) - 1;
}

std::optional<std::string> AlertView::buttonTitleAtIndex(long index) const
{
    if (index < 0 || index >= numberOfButtons())
        return std::nullopt;
    return m_buttonTitles[std::size_t(index)];
}

long AlertView::firstOtherButtonIndex() const
{
    for (long i = 0; i < numberOfButtons(); ++i)
        if (i != m_cancelButtonIndex)
            return i;
    return -1;
}

void AlertView::show()
{
    if (m_visible)
        return;
    auto keep = self<AlertView>();
    history().push_back(keep);
    if (auto delegate = m_delegate.lock())
        delegate->willPresentAlertView(*this);
    m_buttons.clear();
    for (long i = 0; i < numberOfButtons(); ++i) {
        auto button = Button::create();
        button->setTitle(m_buttonTitles[std::size_t(i)]);
        button->setBackgroundColor(Color::colorWithRed(0.35f, 0.42f, 0.6f, 1));
        button->layer()->setCornerRadius(6);
        button->layer()->setBorderWidth(1);
        button->layer()->setBorderColor(Color::colorWithWhite(1, 0.5f));
        auto weak = weakSelf<AlertView>();
        button->addTarget(
            nullptr,
            [weak, i](const ns::Id&) {
                if (auto alert = weak.lock())
                    alert->tapButtonAtIndex(i);
            },
            ControlEventTouchUpInside);
        addSubview(button);
        m_buttons.push_back(button);
    }
    m_visible = true;
    layoutSubviews();
    m_window = OverlayWindow::present(keep, WindowLevelAlert);
    if (auto delegate = m_delegate.lock())
        delegate->didPresentAlertView(*this);
}

void AlertView::tapButtonAtIndex(long index)
{
    if (!m_visible)
        return;
    auto keep = self<AlertView>();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void AlertView::dismissWithClickedButtonIndex(long index, bool)
{
    if (!m_visible)
        return;
    auto keep = self<AlertView>();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewWillDismissWithButtonIndex(*this, index);
    m_visible = false;
    removeFromSuperview();
    for (auto& button : m_buttons)
        button->removeFromSuperview();
    m_buttons.clear();
    if (auto window = m_window.lock())
        window->dismiss();
    m_window.reset();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewDidDismissWithButtonIndex(*this, index);
}

ns::Ref<Button> AlertView::buttonViewAtIndex(long index) const
{
    if (index < 0 || std::size_t(index) >= m_buttons.size())
        return nullptr;
    return m_buttons[std::size_t(index)];
}

std::vector<ns::Ref<AlertView>> AlertView::shownAlerts()
{
    return history();
}

void AlertView::clearShownAlerts()
{
    history().clear();
}

void AlertView::layoutSubviews()
{
    const cg::Float inner = AlertWidth - 24;
    cg::Float y = 16;
    m_titleLabel->setText(m_title);
    m_messageLabel->setText(m_message);
    if (m_title && !m_title->empty()) {
        cg::Size s = sizeWithFont(*m_title, *m_titleLabel->font(), cg::Size{inner, 1000});
        m_titleLabel->setFrame(cg::makeRect(12, y, inner, s.height));
        y += s.height + 8;
    }
    if (m_message && !m_message->empty()) {
        cg::Size s = sizeWithFont(*m_message, *m_messageLabel->font(), cg::Size{inner, 1000});
        m_messageLabel->setFrame(cg::makeRect(12, y, inner, s.height));
        y += s.height + 8;
    }
    y += 4;
    // Two buttons side by side, cancel on the left; otherwise one under the other, cancel last.
    if (m_buttons.size() == 2) {
        cg::Float w = (inner - 8) / 2;
        long left = m_cancelButtonIndex == 1 ? 1 : 0;
        m_buttons[std::size_t(left)]->setFrame(cg::makeRect(12, y, w, ButtonHeight));
        m_buttons[std::size_t(1 - left)]->setFrame(cg::makeRect(12 + w + 8, y, w, ButtonHeight));
        y += ButtonHeight + 8;
    } else {
        for (std::size_t i = 0; i < m_buttons.size(); ++i) {
            if (long(i) == m_cancelButtonIndex)
                continue;
            m_buttons[i]->setFrame(cg::makeRect(12, y, inner, ButtonHeight));
            y += ButtonHeight + 8;
        }
        if (m_cancelButtonIndex >= 0 && std::size_t(m_cancelButtonIndex) < m_buttons.size()) {
            m_buttons[std::size_t(m_cancelButtonIndex)]->setFrame(cg::makeRect(12, y, inner, ButtonHeight));
            y += ButtonHeight + 8;
        }
    }
    y += 8;
    cg::Rect screen = Application::screenBounds();
    setFrame(cg::makeRect(std::round((screen.size.width - AlertWidth) / 2),
                          std::round((screen.size.height - y) / 2), AlertWidth, y));
}

void AlertView::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = cg::inset(bounds(), 1, 1);
    cg::Float r = 10;
    context.beginPath();
    context.moveToPoint(b.minX() + r, b.minY());
    context.addArcToPoint(b.maxX(), b.minY(), b.maxX(), b.maxY(), r);
    context.addArcToPoint(b.maxX(), b.maxY(), b.minX(), b.maxY(), r);
    context.addArcToPoint(b.minX(), b.maxY(), b.minX(), b.minY(), r);
    context.addArcToPoint(b.minX(), b.minY(), b.maxX(), b.minY(), r);
    context.closePath();
    context.setRGBFillColor(0.04f, 0.1f, 0.3f, 0.92f);
    context.fillPath();
}

} // namespace ui
