#pragma once

#include "uikit/ButtonPanel.h"
#include "uikit/View.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class ActionSheet;
class BarButtonItem;
class Button;
class Label;
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

    long addButtonWithTitle(std::string title) { return m_panel.addButtonWithTitle(std::move(title)); }
    long numberOfButtons() const { return m_panel.numberOfButtons(); }
    std::optional<std::string> buttonTitleAtIndex(long index) const
    {
        return m_panel.buttonTitleAtIndex(index);
    }
    long cancelButtonIndex() const { return m_panel.cancelButtonIndex(); }
    void setCancelButtonIndex(long index) { m_panel.setCancelButtonIndex(index); }
    long destructiveButtonIndex() const { return m_panel.destructiveButtonIndex(); }
    void setDestructiveButtonIndex(long index) { m_panel.setDestructiveButtonIndex(index); }
    long firstOtherButtonIndex() const { return m_panel.firstOtherButtonIndex(); }

    // Where it was shown from is recorded; it always rises over the whole screen.
    void showFromToolbar(const ns::Ref<Toolbar>& toolbar);
    void showFromTabBar(const ns::Ref<TabBar>& tabBar);
    void showFromBarButtonItem(const ns::Ref<BarButtonItem>& item, bool animated);
    void showInView(const ns::Ref<View>& view);
    const ns::Ref<ns::Object>& shownFrom() const { return m_shownFrom; }
    bool isVisible() const { return m_panel.isVisible(); }

    virtual void dismissWithClickedButtonIndex(long index, bool animated);
    // A user's tap on a button: the clicked call, then dismissWithClickedButtonIndex.
    void tapButtonAtIndex(long index);
    ns::Ref<Button> buttonViewAtIndex(long index) const { return m_panel.buttonViewAtIndex(index); }

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
    ButtonPanel m_panel;
    ActionSheetStyle m_style = ActionSheetStyle::Automatic;
    ns::Ref<ns::Object> m_shownFrom;
    ns::Ref<Label> m_titleLabel;
};

} // namespace ui
