#pragma once

#include "foundation/Object.h"

#include <optional>

class SHKItem;
class SHKSharer;

// The optional veto that the share screens ask before each share.
class SHKShareItemDelegate
{
public:
    virtual ~SHKShareItemDelegate() = default;
    // aboutToShareItem:withSharer: with the item and the sharer just made and loaded with it: false stops
    // the share. Nothing when the delegate does not answer it, which does not stop the share.
    virtual std::optional<bool> aboutToShareItem(const ns::Ref<SHKItem>&, const ns::Ref<SHKSharer>&)
    {
        return std::nullopt;
    }
};

// Whether a share goes ahead: asks the delegate when there is one that answers.
bool SHKShouldShare(const std::shared_ptr<SHKShareItemDelegate>& delegate, const ns::Ref<SHKItem>& item,
                    const ns::Ref<SHKSharer>& sharer);
