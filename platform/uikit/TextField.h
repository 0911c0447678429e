#pragma once

#include "uikit/Control.h"
#include "uikit/StringDrawing.h"
#include "uikit/TextInput.h"

#include <optional>
#include <string>

namespace ui {

class Color;
class Font;
class TextField;

inline constexpr const char* TextFieldTextDidBeginEditingNotification =
    "UITextFieldTextDidBeginEditingNotification";
inline constexpr const char* TextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";
inline constexpr const char* TextFieldTextDidEndEditingNotification =
    "UITextFieldTextDidEndEditingNotification";

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

class TextFieldDelegate
{
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
    // textField:shouldChangeCharactersInRange:replacementString: (the range in UTF-16 units).
    virtual bool textField(TextField&, std::size_t /*location*/, std::size_t /*length*/, const std::string&)
    {
        return true;
    }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

// One line of editable text. A tap makes it the first responder (which shows the keyboard); typing goes
// through the delegate's change question; return asks should-return.
class TextField : public Control, public TextInput
{
public:
    static ns::Ref<TextField> create() { return ns::Factory<TextField>::make(); }
    static ns::Ref<TextField> create(cg::Rect frame) { return ns::Factory<TextField>::make(frame); }

    const std::string& text() const { return m_text; }
    void setText(std::string text);
    const std::optional<std::string>& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::optional<std::string> placeholder) { m_placeholder = std::move(placeholder); }
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure) { m_secure = secure; }
    const ns::Ref<Font>& font() const { return m_font; }
    void setFont(ns::Ref<Font> font);
    const ns::Ref<Color>& textColor() const { return m_textColor; }
    void setTextColor(ns::Ref<Color> color) { m_textColor = std::move(color); }
    TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(TextAlignment alignment) { m_alignment = alignment; }
    TextBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TextBorderStyle style) { m_borderStyle = style; }
    bool clearsOnBeginEditing() const { return m_clearsOnBeginEditing; }
    void setClearsOnBeginEditing(bool clears) { m_clearsOnBeginEditing = clears; }

    // Recorded only.
    int keyboardType() const { return m_keyboardType; }
    void setKeyboardType(int type) { m_keyboardType = type; }
    int returnKeyType() const { return m_returnKeyType; }
    void setReturnKeyType(int type) { m_returnKeyType = type; }
    int autocapitalizationType() const { return m_autocapitalization; }
    void setAutocapitalizationType(int type) { m_autocapitalization = type; }
    int autocorrectionType() const { return m_autocorrection; }
    void setAutocorrectionType(int type) { m_autocorrection = type; }
    int clearButtonMode() const { return m_clearButtonMode; }
    void setClearButtonMode(int mode) { m_clearButtonMode = mode; }

    ns::Ref<TextFieldDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<TextFieldDelegate>& delegate) { m_delegate = delegate; }
    bool isEditing() const { return m_editing; }

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    bool hasText() const override { return !m_text.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void returnKey() override;

    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UITextField"; }

protected:
    TextField();
    explicit TextField(cg::Rect frame);
    friend ns::Factory<TextField>;

    void didTapInside() override;

private:
    void post(const char* name);

    std::string m_text;
    std::optional<std::string> m_placeholder;
    bool m_secure = false;
    ns::Ref<Font> m_font;
    ns::Ref<Color> m_textColor;
    TextAlignment m_alignment = TextAlignment::Left;
    TextBorderStyle m_borderStyle = TextBorderStyle::None;
    bool m_clearsOnBeginEditing = false;
    int m_keyboardType = 0;
    int m_returnKeyType = 0;
    int m_autocapitalization = 2;
    int m_autocorrection = 0;
    int m_clearButtonMode = 0;
    ns::Weak<TextFieldDelegate> m_delegate;
    bool m_editing = false;
};

} // namespace ui
