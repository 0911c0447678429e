#pragma once

#include "sharing/core/SHKItem.h"
#include "sharing/ui/SHKShareItemDelegate.h"
#include "uikit/ActionSheet.h"

#include <memory>
#include <string>
#include <vector>

// The first step of a share: an action sheet titled "Share" offering the favourite sharers of the item's
// type that work on this device, then "More..." (the full share menu, when the configuration shows it)
// and "Cancel". Picking a sharer makes it by class name, hands it the item and starts the share.
class SHKActionSheet : public ui::ActionSheet, public ui::ActionSheetDelegate
{
public:
    // A new sheet for an empty item of the type; the sheets made are always SHKCustomActionSheet.
    static ns::Ref<SHKActionSheet> actionSheetForType(SHKShareType type);
    // The sheet for the item's type, sharing the item itself.
    static ns::Ref<SHKActionSheet> actionSheetForItem(const ns::Ref<SHKItem>& item);

    ns::Ref<SHKItem> item() const { return m_item; }
    void setItem(ns::Ref<SHKItem> item) { m_item = std::move(item); }
    // The class names of the sharers shown, in button order: button i is sharer i.
    const std::vector<std::string>& sharers() const { return m_sharers; }
    void setSharers(std::vector<std::string> sharers) { m_sharers = std::move(sharers); }
    const std::shared_ptr<SHKShareItemDelegate>& shareDelegate() const { return m_shareDelegate; }
    void setShareDelegate(std::shared_ptr<SHKShareItemDelegate> delegate)
    {
        m_shareDelegate = std::move(delegate);
    }

    // Acts on the pick (a sharer, "More...", or nothing for Cancel), then dismisses as the platform does.
    void dismissWithClickedButtonIndex(long index, bool animated) override;

    std::string className() const override { return "SHKActionSheet"; }

protected:
    SHKActionSheet() = default;
    friend ns::Factory<SHKActionSheet>;

private:
    ns::Ref<SHKItem> m_item;
    std::vector<std::string> m_sharers;
    std::shared_ptr<SHKShareItemDelegate> m_shareDelegate;
};

// The sheet that the framework makes, for an application to restyle.
class SHKCustomActionSheet : public SHKActionSheet
{
public:
    static ns::Ref<SHKCustomActionSheet> create() { return ns::Factory<SHKCustomActionSheet>::make(); }
    std::string className() const override { return "SHKCustomActionSheet"; }

protected:
    SHKCustomActionSheet() = default;
    friend ns::Factory<SHKCustomActionSheet>;
};
