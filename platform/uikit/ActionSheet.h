#pragma once

#include "uikit/View.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class ActionSheet;
class BarButtonItem;
class Button;
class Label;
class OverlayWindow;
class TabBar;
class Toolbar;

enum class ActionSheetStyle { Automatic = -1, Default = 0, BlackTranslucent = 1, BlackOpaque = 2 };

class ActionSheetDelegate
{
public:
    virtual ~ActionSheetDelegate() = default;
    // actionSheet:clickedButtonAtIndex:, actionSheet:willDismissWithButtonIndex:, ...didDismiss...
    virtual void actionSheetClickedButtonAtIndex(ActionSheet&, long) {}
    virtual void actionSheetCancel(ActionSheet&) {}
    virtual void willPresentActionSheet(ActionSheet&) {}
    virtual void didPresentActionSheet(ActionSheet&) {}
    virtual void actionSheetWillDismissWithButtonIndex(ActionSheet&, long) {}
    virtual void actionSheetDidDismissWithButtonIndex(ActionSheet&, long) {}
};

// A column of choices rising from the bottom of the screen. Given at creation, the destructive button
// comes first, then the others, then the cancel button. A tap on a button tells the delegate the index,
// then calls dismissWithClickedButtonIndex, which subclasses override to act on the choice.
class ActionSheet : public View
{
public:
    static ns::Ref<ActionSheet> create() { return ns::Factory<ActionSheet>::make(); }
    static ns::Ref<ActionSheet> create(std::optional<std::string> title,
                                       const ns::Ref<ActionSheetDelegate>& delegate,
                                       std::optional<std::string> cancelButtonTitle,
                                       std::optional<std::string> destructiveButtonTitle,
                                       std::vector<std::string> otherButtonTitles = {})
    {
        return ns::Factory<ActionSheet>::make(std::move(title), delegate, std::move(cancelButtonTitle),
                                              std::move(destructiveButtonTitle),
                                              std::move(otherButtonTitles));
    }

    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    ns::Ref<ActionSheetDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<ActionSheetDelegate>& delegate) { m_delegate = delegate; }
    ActionSheetStyle actionSheetStyle() const { return m_style; }
    void setActionSheetStyle(ActionSheetStyle style) { m_style = style; }

    long addButtonWithTitle(std::string title);
    long numberOfButtons() const { return long(m_buttonTitles.size()); }
    std::optional<std::string> buttonTitleAtIndex(long index) const;
    long cancelButtonIndex() const { return m_cancelButtonIndex; }
    void setCancelButtonIndex(long index) { m_cancelButtonIndex = index; }
    long destructiveButtonIndex() const { return m_destructiveButtonIndex; }
    void setDestructiveButtonIndex(long index) { m_destructiveButtonIndex = index; }
    long firstOtherButtonIndex() const;

    // Where it was shown from is recorded; it always rises over the whole screen.
    void showFromToolbar(const ns::Ref<Toolbar>& toolbar);
    void showFromTabBar(const ns::Ref<TabBar>& tabBar);
    void showFromBarButtonItem(const ns::Ref<BarButtonItem>& item, bool animated);
    void showInView(const ns::Ref<View>& view);
    const ns::Ref<ns::Object>& shownFrom() const { return m_shownFrom; }
    bool isVisible() const { return m_visible; }

    virtual void dismissWithClickedButtonIndex(long index, bool animated);
    // A user's tap on a button: the clicked call, then dismissWithClickedButtonIndex.
    void tapButtonAtIndex(long index);
    ns::Ref<Button> buttonViewAtIndex(long index) const;

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UIActionSheet"; }

protected:
    ActionSheet();
    ActionSheet(std::optional<std::string> title, const ns::Ref<ActionSheetDelegate>& delegate,
                std::optional<std::string> cancelButtonTitle,
                std::optional<std::string> destructiveButtonTitle,
                std::vector<std::string> otherButtonTitles = {});
    friend ns::Factory<ActionSheet>;

private:
    void show(ns::Ref<ns::Object> from);

    std::optional<std::string> m_title;
    ns::Weak<ActionSheetDelegate> m_delegate;
    std::vector<std::string> m_buttonTitles;
    long m_cancelButtonIndex = -1;
    long m_destructiveButtonIndex = -1;
    ActionSheetStyle m_style = ActionSheetStyle::Automatic;
    bool m_visible = false;
    ns::Ref<ns::Object> m_shownFrom;
    // The overlay shows this view as its subview and the screen's list of overlays keeps it while it shows:
    // a strong reference back would make a cycle that outlives the overlay.
    ns::Weak<OverlayWindow> m_window;
    ns::Ref<Label> m_titleLabel;
    std::vector<ns::Ref<Button>> m_buttons;
};

} // namespace ui
