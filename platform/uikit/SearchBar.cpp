#include "uikit/SearchBar.h"

#include "graphics/Context.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/SearchDisplayController.h"
#include "uikit/TextField.h"

namespace ui {

// Turns the field's delegate calls into the bar's.
class SearchBar::FieldWatcher : public ns::Object, public TextFieldDelegate
{
public:
    void setBar(const ns::Ref<SearchBar>& bar) { m_bar = bar; }
    bool textFieldShouldBeginEditing(TextField&) override
    {
        auto bar = m_bar.lock();
        auto delegate = bar ? bar->delegate() : nullptr;
        return !delegate || delegate->searchBarShouldBeginEditing(*bar);
    }
    void textFieldDidBeginEditing(TextField&) override
    {
        if (auto bar = m_bar.lock())
            bar->didBeginEditing();
    }
    bool textFieldShouldEndEditing(TextField&) override
    {
        auto bar = m_bar.lock();
        auto delegate = bar ? bar->delegate() : nullptr;
        return !delegate || delegate->searchBarShouldEndEditing(*bar);
    }
    void textFieldDidEndEditing(TextField&) override
    {
        if (auto bar = m_bar.lock())
            bar->didEndEditing();
    }
    bool textFieldShouldReturn(TextField&) override
    {
        if (auto bar = m_bar.lock())
            bar->searchClicked();
        return false;
    }

private:
    ns::Weak<SearchBar> m_bar;
};

ns::Ref<SearchBar> SearchBar::create()
{
    return create(cg::makeRect(0, 0, 320, 44));
}

ns::Ref<SearchBar> SearchBar::create(cg::Rect frame)
{
    auto bar = ns::Factory<SearchBar>::make(frame);
    auto weak = bar->weakSelf<SearchBar>();
    bar->m_watcher->setBar(bar);
    bar->m_field->addTarget(
        nullptr,
        [weak](const ns::Id&) {
            if (auto bar = weak.lock())
                bar->textChanged();
        },
        ControlEventEditingChanged);
    bar->m_cancelButton->addTarget(
        nullptr,
        [weak](const ns::Id&) {
            if (auto bar = weak.lock())
                bar->cancelClicked();
        },
        ControlEventTouchUpInside);
    return bar;
}

SearchBar::SearchBar(cg::Rect frame)
    : View(frame), m_field(TextField::create()), m_cancelButton(Button::create()),
      m_watcher(ns::make<FieldWatcher>())
{
    m_field->setBorderStyle(TextBorderStyle::RoundedRect);
    m_field->setFont(Font::systemFontOfSize(14));
    m_field->setDelegate(m_watcher);
    addSubview(m_field);
    m_cancelButton->setTitle("Cancel");
    m_cancelButton->titleLabel()->setFont(Font::boldSystemFontOfSize(12));
    m_cancelButton->setHidden(true);
    addSubview(m_cancelButton);
}

std::string SearchBar::text() const
{
    return m_field->text();
}

void SearchBar::setText(std::string text)
{
    if (text == m_field->text())
        return;
    m_field->setText(std::move(text));
    textChanged();
}

void SearchBar::setPlaceholder(std::optional<std::string> placeholder)
{
    m_placeholder = placeholder;
    m_field->setPlaceholder(std::move(placeholder));
}

void SearchBar::setShowsCancelButton(bool shows, bool)
{
    m_showsCancelButton = shows;
    setNeedsLayout();
}

void SearchBar::setSelectedScopeButtonIndex(long index)
{
    if (index == m_selectedScope)
        return;
    m_selectedScope = index;
    if (auto delegate = m_delegate.lock())
        delegate->searchBarSelectedScopeButtonIndexDidChange(*this, index);
    if (m_displayController)
        m_displayController->searchBarScopeChanged(index);
}

bool SearchBar::becomeFirstResponder()
{
    return m_field->becomeFirstResponder();
}

bool SearchBar::resignFirstResponder()
{
    return m_field->resignFirstResponder();
}

bool SearchBar::isFirstResponder() const
{
    return m_field->isFirstResponder();
}

void SearchBar::textChanged()
{
    auto keep = self<SearchBar>();
    std::string current = m_field->text();
    if (auto delegate = m_delegate.lock())
        delegate->searchBar(*this, current);
    if (m_displayController)
        m_displayController->searchBarTextChanged(current);
}

void SearchBar::didBeginEditing()
{
    auto keep = self<SearchBar>();
    if (auto delegate = m_delegate.lock())
        delegate->searchBarTextDidBeginEditing(*this);
    if (m_displayController)
        m_displayController->searchBarDidBeginEditing();
}

void SearchBar::didEndEditing()
{
    if (auto delegate = m_delegate.lock())
        delegate->searchBarTextDidEndEditing(*this);
}

void SearchBar::searchClicked()
{
    if (auto delegate = m_delegate.lock())
        delegate->searchBarSearchButtonClicked(*this);
}

void SearchBar::cancelClicked()
{
    auto keep = self<SearchBar>();
    if (auto delegate = m_delegate.lock())
        delegate->searchBarCancelButtonClicked(*this);
    if (m_displayController)
        m_displayController->searchBarCancelled();
}

cg::Size SearchBar::sizeThatFits(cg::Size) const
{
    return {bounds().size.width > 0 ? bounds().size.width : 320, 44};
}

void SearchBar::layoutSubviews()
{
    cg::Rect b = bounds();
    cg::Float right = b.size.width - 6;
    m_cancelButton->setHidden(!m_showsCancelButton);
    if (m_showsCancelButton) {
        m_cancelButton->setFrame(cg::makeRect(b.size.width - 66, 7, 60, 30));
        right = b.size.width - 72;
    }
    m_field->setFrame(cg::makeRect(6, 7, std::max<cg::Float>(0, right - 6), 30));
}

void SearchBar::drawRect(cg::Context& context, cg::Rect)
{
    drawBarBackground(context, bounds(), m_barStyle, false, m_tintColor);
}

} // namespace ui
