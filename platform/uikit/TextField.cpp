#include "uikit/TextField.h"

#include "foundation/NotificationCenter.h"
#include "foundation/Text.h"
#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Keyboard.h"

#include <algorithm>

namespace ui {
namespace {

// The length in bytes of the last character (a UTF-8 sequence) of the text.
std::size_t lastCharacterBytes(const std::string& text)
{
    if (text.empty())
        return 0;
    std::size_t i = text.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        --i;
    return text.size() - i;
}

} // namespace

TextField::TextField() : TextField(cg::Rect{})
{
}

TextField::TextField(cg::Rect frame)
    : Control(frame), m_font(Font::systemFontOfSize(17)), m_textColor(Color::blackColor())
{
}

void TextField::setText(std::string text)
{
    m_text = std::move(text);
    setNeedsDisplay();
}

void TextField::setFont(ns::Ref<Font> font)
{
    m_font = font ? std::move(font) : Font::systemFontOfSize(17);
}

void TextField::post(const char* name)
{
    ns::NotificationCenter::defaultCenter().postNotification(name, self<TextField>());
}

bool TextField::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    auto keep = self<TextField>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldBeginEditing(*this))
        return false;
    if (!Control::becomeFirstResponder())
        return false;
    m_editing = true;
    if (m_clearsOnBeginEditing)
        m_text.clear();
    Keyboard::show();
    if (delegate)
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidBegin);
    post(TextFieldTextDidBeginEditingNotification);
    return true;
}

bool TextField::resignFirstResponder()
{
    if (!isFirstResponder())
        return Control::resignFirstResponder();
    auto keep = self<TextField>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldEndEditing(*this))
        return false;
    if (!Control::resignFirstResponder())
        return false;
    m_editing = false;
    if (!dynamic_cast<TextInput*>(Responder::firstResponder()))
        Keyboard::hide();
    if (delegate)
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidEnd);
    post(TextFieldTextDidEndEditingNotification);
    return true;
}

void TextField::didTapInside()
{
    becomeFirstResponder();
}

void TextField::insertText(const std::string& text)
{
    if (!m_editing)
        return;
    auto keep = self<TextField>();
    if (auto delegate = m_delegate.lock();
        delegate && !delegate->textField(*this, ns::utf16Length(m_text), 0, text))
        return;
    m_text += text;
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    post(TextFieldTextDidChangeNotification);
}

void TextField::deleteBackward()
{
    if (!m_editing || m_text.empty())
        return;
    auto keep = self<TextField>();
    std::size_t bytes = lastCharacterBytes(m_text);
    std::string last = m_text.substr(m_text.size() - bytes);
    std::size_t units = ns::utf16Length(last);
    if (auto delegate = m_delegate.lock();
        delegate && !delegate->textField(*this, ns::utf16Length(m_text) - units, units, ""))
        return;
    m_text.resize(m_text.size() - bytes);
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    post(TextFieldTextDidChangeNotification);
}

void TextField::returnKey()
{
    if (!m_editing)
        return;
    auto keep = self<TextField>();
    if (auto delegate = m_delegate.lock(); delegate && !delegate->textFieldShouldReturn(*this))
        return;
    // Ending on return is what the targets of that event ask for.
    if (hasActionsForEvents(ControlEventEditingDidEndOnExit)) {
        sendActionsForControlEvents(ControlEventEditingDidEndOnExit);
        resignFirstResponder();
    }
}

void TextField::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = bounds();
    if (m_borderStyle == TextBorderStyle::RoundedRect || m_borderStyle == TextBorderStyle::Bezel ||
        m_borderStyle == TextBorderStyle::Line) {
        context.setRGBFillColor(1, 1, 1, 1);
        context.fillRect(b);
        context.setRGBStrokeColor(0.6f, 0.6f, 0.6f, 1);
        context.setLineWidth(1);
        context.strokeRect(cg::inset(b, 0.5f, 0.5f));
    }
    cg::Rect textRect = cg::inset(b, 6, 0);
    std::string shown = m_text;
    if (m_secure) {
        shown.clear();
        for (std::size_t i = 0, n = ns::utf16Length(m_text); i < n; ++i)
            shown += "\u2022";
    }
    const Font& font = *m_font;
    cg::Float h = font.lineHeight();
    cg::Rect line = cg::makeRect(textRect.origin.x, textRect.origin.y + (textRect.size.height - h) / 2,
                                 textRect.size.width, h);
    if (shown.empty()) {
        if (m_placeholder && !m_placeholder->empty()) {
            context.setRGBFillColor(0.7f, 0.7f, 0.7f, 1);
            drawText(context, *m_placeholder, line, font, LineBreakMode::TailTruncation, m_alignment);
        }
    } else {
        context.setFillColor(m_textColor ? m_textColor->CGColor() : cg::Color{0, 0, 0, 1});
        drawText(context, shown, line, font, LineBreakMode::TailTruncation, m_alignment);
    }
    if (m_editing) {
        cg::Float x = line.origin.x + std::min(sizeWithFont(shown, font).width, line.size.width);
        context.setRGBFillColor(0.2f, 0.4f, 0.9f, 1);
        context.fillRect(cg::makeRect(x + 1, line.origin.y, 2, h));
    }
}

} // namespace ui
