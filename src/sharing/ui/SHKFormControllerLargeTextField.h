#pragma once

#include "foundation/ClassRegistry.h"
#include "uikit/TextView.h"
#include "uikit/ViewController.h"

#include <cstdint>
#include <optional>
#include <string>

class SHKFormControllerLargeTextField;

namespace ns {
class Notification;
}
namespace ui {
class Image;
class Label;
} // namespace ui

// What the large text form tells the sharer that shows it. The delegate is an object whose class is
// registered by name with a SHKFormControllerLargeTextFieldDelegateClass, which gives the service's title.
class SHKFormControllerLargeTextFieldDelegate
{
public:
    virtual ~SHKFormControllerLargeTextFieldDelegate() = default;
    // The user pressed the send button; the text is in the form's text view.
    virtual void sendForm(SHKFormControllerLargeTextField& form) = 0;
    // The user cancelled.
    virtual void sendDidCancel() = 0;
};

// The class-level answer of a large text form's delegate class.
class SHKFormControllerLargeTextFieldDelegateClass : public virtual rt::MetaObject
{
public:
    // The service's title, named in the send button.
    virtual std::string sharerTitle() const = 0;
};

// The composer of the sharers that post a free text: a full-screen text view under Cancel and a
// "Send to ..." button, with a counter of the characters left (in UTF-16 units) when the service limits
// the length, which also tells whether an image goes with the text. The text view fits itself above the
// keyboard in every orientation.
class SHKFormControllerLargeTextField : public ui::ViewController, public ui::TextViewDelegate
{
public:
    static ns::Ref<SHKFormControllerLargeTextField>
    create(const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate);
    ~SHKFormControllerLargeTextField() override;

    // Not retained.
    ns::Ref<SHKFormControllerLargeTextFieldDelegate> delegate() const { return m_delegate.lock(); }
    // The delegate callbacks share the accessor's name; keep them callable beside it.
    using ui::TextViewDelegate::textView;
    const ns::Ref<ui::TextView>& textView() const { return m_textView; }
    void setTextView(ns::Ref<ui::TextView> textView) { m_textView = std::move(textView); }
    // The service's limit; 0 for none (and no count).
    uint64_t maxTextLength() const { return m_maxTextLength; }
    void setMaxTextLength(uint64_t length) { m_maxTextLength = length; }
    // Made when first needed.
    const ns::Ref<ui::Label>& counter() const { return m_counter; }
    void setCounter(ns::Ref<ui::Label> counter) { m_counter = std::move(counter); }
    // Shows the counter even without a limit or an image.
    bool hasLink() const { return m_hasLink; }
    void setHasLink(bool hasLink) { m_hasLink = hasLink; }
    const ns::Ref<ui::Image>& image() const { return m_image; }
    void setImage(ns::Ref<ui::Image> image) { m_image = std::move(image); }
    // What an attached image costs against the limit.
    uint64_t imageTextLength() const { return m_imageTextLength; }
    void setImageTextLength(uint64_t length) { m_imageTextLength = length; }
    // Put into the text view each time the screen is about to show.
    const std::optional<std::string>& text() const { return m_text; }
    void setText(std::optional<std::string> text) { m_text = std::move(text); }

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }

    // Cancel on the left, "Send to <service>" on the right; a subclass puts its own.
    virtual void setupBarButtonItems();
    // Hide the screen through the facade, then tell the delegate.
    void save();
    void cancel();

    // Fits the text view between the top of the form and the keyboard about to show.
    void keyboardWillShow(const ns::Notification& notification);
    void updateCounter();
    void ifNoTextDisableSendButton();
    void layoutCounter();
    bool shouldShowCounter() const;

    void textViewDidBeginEditing(ui::TextView&) override { updateCounter(); }
    void textViewDidChange(ui::TextView&) override { updateCounter(); }
    void textViewDidEndEditing(ui::TextView&) override { updateCounter(); }

    std::string className() const override { return "SHKFormControllerLargeTextField"; }

protected:
    explicit SHKFormControllerLargeTextField(
        const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate);
    friend ns::Factory<SHKFormControllerLargeTextField>;

private:
    bool hasText() const;

    ns::Weak<SHKFormControllerLargeTextFieldDelegate> m_delegate;
    ns::Ref<ui::TextView> m_textView;
    uint64_t m_maxTextLength = 0;
    ns::Ref<ui::Label> m_counter;
    bool m_hasLink = false;
    ns::Ref<ui::Image> m_image;
    uint64_t m_imageTextLength = 0;
    std::optional<std::string> m_text;
};

// The composer the sharers create, so that an application can restyle it.
class SHKCustomFormControllerLargeTextField : public SHKFormControllerLargeTextField
{
public:
    static ns::Ref<SHKCustomFormControllerLargeTextField>
    create(const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate)
    {
        return ns::Factory<SHKCustomFormControllerLargeTextField>::make(delegate);
    }

    std::string className() const override { return "SHKCustomFormControllerLargeTextField"; }

protected:
    using SHKFormControllerLargeTextField::SHKFormControllerLargeTextField;
    friend ns::Factory<SHKCustomFormControllerLargeTextField>;
};
