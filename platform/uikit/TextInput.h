#pragma once

#include <string>

namespace ui {

// What the keyboard types into: the first responder when it takes text (text fields and views).
class TextInput
{
public:
    virtual ~TextInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const std::string& text) = 0;
    virtual void deleteBackward() = 0;
    // The keyboard's return key.
    virtual void returnKey() = 0;
};

} // namespace ui
