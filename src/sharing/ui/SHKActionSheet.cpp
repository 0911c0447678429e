#include "sharing/ui/SHKActionSheet.h"

#include "foundation/Array.h"
#include "foundation/ClassRegistry.h"
#include "foundation/String.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKShareMenu.h"

bool SHKShouldShare(const std::shared_ptr<SHKShareItemDelegate>& delegate, const ns::Ref<SHKItem>& item,
                    const ns::Ref<SHKSharer>& sharer)
{
    if (!delegate)
        return true;
    return delegate->aboutToShareItem(item, sharer).value_or(true);
}

ns::Ref<SHKActionSheet> SHKActionSheet::actionSheetForType(SHKShareType type)
{
    ns::Ref<SHKActionSheet> sheet = SHKCustomActionSheet::create();
    sheet->setTitle(SHKLookupLocalizedText("Share"));
    sheet->setDelegate(sheet);
    auto item = SHKItem::create();
    item->setShareType(type);
    sheet->m_item = item;
    sheet->m_sharers.clear();
    // The favourites are kept per share type already, so only whether the sharer works here is asked.
    if (auto favorites = SHK::favoriteSharersForType(type)) {
        for (const ns::Id& entry : *favorites) {
            auto name = ns::cast<ns::String>(entry);
            if (!name)
                continue;
            auto sharerClass = SHKSharerClass::named(name->str());
            if (!sharerClass || !sharerClass->canShare())
                continue;
            sheet->addButtonWithTitle(sharerClass->sharerTitle());
            sheet->m_sharers.push_back(name->str());
        }
    }
    if (SHKConfiguration::boolValue("showActionSheetMoreButton"))
        sheet->addButtonWithTitle(SHKLookupLocalizedText("More..."));
    sheet->addButtonWithTitle(SHKLookupLocalizedText("Cancel"));
    sheet->setCancelButtonIndex(sheet->numberOfButtons() - 1);
    return sheet;
}

ns::Ref<SHKActionSheet> SHKActionSheet::actionSheetForItem(const ns::Ref<SHKItem>& item)
{
    auto sheet = actionSheetForType(item ? item->shareType() : SHKShareTypeUndefined);
    sheet->setItem(item);
    return sheet;
}

void SHKActionSheet::dismissWithClickedButtonIndex(long index, bool animated)
{
    auto keep = self<SHKActionSheet>();
    const long count = long(m_sharers.size());
    if (index >= 0 && index < count) {
        // The sheet keeps no hold on the sharer: its share (or the screen it presents) keeps it alive.
        if (auto sharer = SHKSharer::sharerWithId(m_sharers[std::size_t(index)])) {
            sharer->loadItem(m_item);
            if (SHKShouldShare(m_shareDelegate, m_item, sharer))
                sharer->share();
        }
    } else if (index == count && SHKConfiguration::boolValue("showActionSheetMoreButton")) {
        auto menu = SHKCustomShareMenu::create(ui::TableViewStyle::Grouped);
        menu->setShareDelegate(m_shareDelegate);
        menu->setItem(m_item);
        SHK::currentHelper()->showViewController(menu);
    }
    ui::ActionSheet::dismissWithClickedButtonIndex(index, animated);
}
