#pragma once

#include "uikit/ScrollView.h"
#include "uikit/StringDrawing.h"
#include "uikit/TextInput.h"

#include <string>

namespace ui {

class Color;
class Font;
class TextView;

inline constexpr const char* TextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";

class TextViewDelegate
{
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) {}
    // textView:shouldChangeTextInRange:replacementText: (the range in UTF-16 units).
    virtual bool textView(TextView&, std::size_t /*location*/, std::size_t /*length*/, const std::string&)
    {
        return true;
    }
    virtual void textViewDidChange(TextView&) {}
};

// Several lines of editable text. Return types a new line.
class TextView : public ScrollView, public TextInput
{
public:
    static ns::Ref<TextView> create() { return ns::Factory<TextView>::make(); }
    static ns::Ref<TextView> create(cg::Rect frame) { return ns::Factory<TextView>::make(frame); }

    const std::string& text() const { return m_text; }
    void setText(std::string text);
    const ns::Ref<Font>& font() const { return m_font; }
    void setFont(ns::Ref<Font> font);
    const ns::Ref<Color>& textColor() const { return m_textColor; }
    void setTextColor(ns::Ref<Color> color) { m_textColor = std::move(color); }
    TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(TextAlignment alignment) { m_alignment = alignment; }
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    int returnKeyType() const { return m_returnKeyType; }
    void setReturnKeyType(int type) { m_returnKeyType = type; }
    int keyboardType() const { return m_keyboardType; }
    void setKeyboardType(int type) { m_keyboardType = type; }

    ns::Ref<TextViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<TextViewDelegate>& delegate) { m_delegate = delegate; }
    bool isEditing() const { return m_editing; }

    bool canBecomeFirstResponder() const override { return m_editable; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    bool hasText() const override { return !m_text.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void returnKey() override { insertText("\n"); }

    void touchesEnded(const TouchSet& touches, Event* event) override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UITextView"; }

protected:
    TextView();
    explicit TextView(cg::Rect frame);
    friend ns::Factory<TextView>;

private:
    void changed();

    std::string m_text;
    ns::Ref<Font> m_font;
    ns::Ref<Color> m_textColor;
    TextAlignment m_alignment = TextAlignment::Left;
    bool m_editable = true;
    int m_returnKeyType = 0;
    int m_keyboardType = 0;
    ns::Weak<TextViewDelegate> m_delegate;
    bool m_editing = false;
};

} // namespace ui
