#include "uikit/TextView.h"

#include "foundation/NotificationCenter.h"
#include "foundation/Text.h"
#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Keyboard.h"

namespace ui {

TextView::TextView() : TextView(cg::Rect{})
{
}

TextView::TextView(cg::Rect frame)
    : ScrollView(frame), m_font(Font::systemFontOfSize(17)), m_textColor(Color::blackColor())
{
    setBackgroundColor(Color::whiteColor());
}

void TextView::setText(std::string text)
{
    m_text = std::move(text);
    setNeedsDisplay();
}

void TextView::setFont(ns::Ref<Font> font)
{
    m_font = font ? std::move(font) : Font::systemFontOfSize(17);
}

bool TextView::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    auto keep = self<TextView>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textViewShouldBeginEditing(*this))
        return false;
    if (!ScrollView::becomeFirstResponder())
        return false;
    m_editing = true;
    Keyboard::show();
    if (delegate)
        delegate->textViewDidBeginEditing(*this);
    return true;
}

bool TextView::resignFirstResponder()
{
    if (!isFirstResponder())
        return ScrollView::resignFirstResponder();
    auto keep = self<TextView>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textViewShouldEndEditing(*this))
        return false;
    if (!ScrollView::resignFirstResponder())
        return false;
    m_editing = false;
    if (!dynamic_cast<TextInput*>(Responder::firstResponder()))
        Keyboard::hide();
    if (delegate)
        delegate->textViewDidEndEditing(*this);
    return true;
}

void TextView::changed()
{
    setNeedsDisplay();
    if (auto delegate = m_delegate.lock())
        delegate->textViewDidChange(*this);
    ns::NotificationCenter::defaultCenter().postNotification(TextViewTextDidChangeNotification,
                                                             self<TextView>());
}

void TextView::insertText(const std::string& text)
{
    if (!m_editing)
        return;
    auto keep = self<TextView>();
    if (auto delegate = m_delegate.lock();
        delegate && !delegate->textView(*this, ns::utf16Length(m_text), 0, text))
        return;
    m_text += text;
    changed();
}

void TextView::deleteBackward()
{
    if (!m_editing || m_text.empty())
        return;
    auto keep = self<TextView>();
    std::size_t i = m_text.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(m_text[i]) & 0xC0) == 0x80)
        --i;
    std::size_t units = ns::utf16Length(std::string_view(m_text).substr(i));
    if (auto delegate = m_delegate.lock();
        delegate && !delegate->textView(*this, ns::utf16Length(m_text) - units, units, ""))
        return;
    m_text.resize(i);
    changed();
}

void TextView::touchesEnded(const TouchSet& touches, Event* event)
{
    bool scrolled = hasScrolledDuringTouch();
    ScrollView::touchesEnded(touches, event);
    if (!scrolled && m_editable)
        becomeFirstResponder();
}

void TextView::drawRect(cg::Context& context, cg::Rect)
{
    if (m_text.empty())
        return;
    EdgeInsets inset = contentInset();
    cg::Rect b = bounds();
    cg::Rect area =
        cg::makeRect(8 + inset.left, 8 + inset.top,
                     std::max<cg::Float>(0, b.size.width - 16 - inset.left - inset.right), 100000);
    context.setFillColor(m_textColor ? m_textColor->CGColor() : cg::Color{0, 0, 0, 1});
    drawText(context, m_text, area, *m_font, LineBreakMode::WordWrap, m_alignment);
}

} // namespace ui
