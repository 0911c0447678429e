#include "uikit/AlertView.h"

#include "graphics/Context.h"
#include "uikit/Application.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <cmath>

namespace ui {
namespace {

constexpr cg::Float AlertWidth = 284;
constexpr cg::Float ButtonHeight = 43;

std::vector<ns::Ref<AlertView>>& history()
{
    // Never destroyed, like the application whose windows show the alerts.
    static auto* alerts = new std::vector<ns::Ref<AlertView>>();
    return *alerts;
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
        m_panel.setCancelButtonIndex(addButtonWithTitle(*cancelButtonTitle));
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
    setNeedsLayout();
    return m_panel.addButtonWithTitle(std::move(title));
}

void AlertView::show()
{
    if (isVisible())
        return;
    auto keep = self<AlertView>();
    history().push_back(keep);
    if (auto delegate = m_delegate.lock())
        delegate->willPresentAlertView(*this);
    auto weak = weakSelf<AlertView>();
    m_panel.show(
        keep,
        [](long, Button& button) {
            button.setBackgroundColor(Color::colorWithRed(0.35f, 0.42f, 0.6f, 1));
            button.layer()->setCornerRadius(6);
            button.layer()->setBorderWidth(1);
            button.layer()->setBorderColor(Color::colorWithWhite(1, 0.5f));
        },
        [weak](long i) {
            if (auto alert = weak.lock())
                alert->tapButtonAtIndex(i);
        });
    if (auto delegate = m_delegate.lock())
        delegate->didPresentAlertView(*this);
}

void AlertView::tapButtonAtIndex(long index)
{
    if (!isVisible())
        return;
    auto keep = self<AlertView>();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void AlertView::dismissWithClickedButtonIndex(long index, bool)
{
    if (!isVisible())
        return;
    auto keep = self<AlertView>();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewWillDismissWithButtonIndex(*this, index);
    m_panel.hide(*this);
    if (auto delegate = m_delegate.lock())
        delegate->alertViewDidDismissWithButtonIndex(*this, index);
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
    const long cancel = cancelButtonIndex();
    if (m_panel.buttonViewCount() == 2) {
        cg::Float w = (inner - 8) / 2;
        std::size_t left = cancel == 1 ? 1 : 0;
        m_panel.buttonView(left)->setFrame(cg::makeRect(12, y, w, ButtonHeight));
        m_panel.buttonView(1 - left)->setFrame(cg::makeRect(12 + w + 8, y, w, ButtonHeight));
        y += ButtonHeight + 8;
    } else {
        for (std::size_t i = 0; i < m_panel.buttonViewCount(); ++i) {
            if (long(i) == cancel)
                continue;
            m_panel.buttonView(i)->setFrame(cg::makeRect(12, y, inner, ButtonHeight));
            y += ButtonHeight + 8;
        }
        if (auto button = m_panel.buttonViewAtIndex(cancel)) {
            button->setFrame(cg::makeRect(12, y, inner, ButtonHeight));
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
