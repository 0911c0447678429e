#pragma once

#include "uikit/ButtonPanel.h"
#include "uikit/View.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class AlertView;
class Button;
class Label;

class AlertViewDelegate
{
public:
    virtual ~AlertViewDelegate() = default;
    // alertView:clickedButtonAtIndex:, alertView:willDismissWithButtonIndex:, ...didDismiss...
    virtual void alertViewClickedButtonAtIndex(AlertView&, long) {}
    virtual void alertViewCancel(AlertView&) {}
    virtual void willPresentAlertView(AlertView&) {}
    virtual void didPresentAlertView(AlertView&) {}
    virtual void alertViewWillDismissWithButtonIndex(AlertView&, long) {}
    virtual void alertViewDidDismissWithButtonIndex(AlertView&, long) {}
};

// A modal message with buttons, in a window of its own over the screen. The cancel button, when given,
// is button 0; the other buttons follow in order. A tap on a button tells the delegate the index, then
// dismisses the alert with it.
class AlertView : public View
{
public:
    static ns::Ref<AlertView> create(std::optional<std::string> title, std::optional<std::string> message,
                                     const ns::Ref<AlertViewDelegate>& delegate,
                                     std::optional<std::string> cancelButtonTitle,
                                     std::vector<std::string> otherButtonTitles = {})
    {
        return ns::Factory<AlertView>::make(std::move(title), std::move(message), delegate,
                                            std::move(cancelButtonTitle), std::move(otherButtonTitles));
    }
    static ns::Ref<AlertView> create() { return ns::Factory<AlertView>::make(); }

    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title)
    {
        m_title = std::move(title);
        setNeedsLayout();
    }
    const std::optional<std::string>& message() const { return m_message; }
    void setMessage(std::optional<std::string> message)
    {
        m_message = std::move(message);
        setNeedsLayout();
    }
    ns::Ref<AlertViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<AlertViewDelegate>& delegate) { m_delegate = delegate; }

    long addButtonWithTitle(std::string title);
    long numberOfButtons() const { return m_panel.numberOfButtons(); }
    std::optional<std::string> buttonTitleAtIndex(long index) const
    {
        return m_panel.buttonTitleAtIndex(index);
    }
    long cancelButtonIndex() const { return m_panel.cancelButtonIndex(); }
    void setCancelButtonIndex(long index) { m_panel.setCancelButtonIndex(index); }
    long firstOtherButtonIndex() const { return m_panel.firstOtherButtonIndex(); }

    void show();
    bool isVisible() const { return m_panel.isVisible(); }
    // Closes the alert as if the button had been chosen, without the clicked call.
    virtual void dismissWithClickedButtonIndex(long index, bool animated);
    // A user's tap on a button: the clicked call, then the dismissal.
    void tapButtonAtIndex(long index);
    // The button's view while the alert shows.
    ns::Ref<Button> buttonViewAtIndex(long index) const { return m_panel.buttonViewAtIndex(index); }

    // Every alert shown since the last clear, oldest first; for tests.
    static std::vector<ns::Ref<AlertView>> shownAlerts();
    static void clearShownAlerts();

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UIAlertView"; }

protected:
    AlertView(std::optional<std::string> title, std::optional<std::string> message,
              const ns::Ref<AlertViewDelegate>& delegate, std::optional<std::string> cancelButtonTitle,
              std::vector<std::string> otherButtonTitles = {});
    AlertView();
    friend ns::Factory<AlertView>;

private:
    std::optional<std::string> m_title;
    std::optional<std::string> m_message;
    ns::Weak<AlertViewDelegate> m_delegate;
    ButtonPanel m_panel;
    ns::Ref<Label> m_titleLabel;
    ns::Ref<Label> m_messageLabel;
};

} // namespace ui
