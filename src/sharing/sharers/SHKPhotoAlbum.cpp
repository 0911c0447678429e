#include "sharing/sharers/SHKPhotoAlbum.h"

#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/PhotoAlbum.h"

std::string SHKPhotoAlbumClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Save to Photo Album");
}

bool SHKPhotoAlbum::send()
{
    setQuiet(true);
    auto item = this->item();
    if (!item || item->shareType() != SHKShareTypeImage || !item->image()) {
        // Nothing that is not a picture goes into the album.
        SHKDeviceSharerFailed(*this);
        return true;
    }
    writeImageToAlbum();
    return true;
}

void SHKPhotoAlbum::writeImageToAlbum()
{
    auto item = this->item();
    if (!item)
        return;
    // The result is the album's, reported when it has written (or failed to write) the picture; the
    // completion holds the sharer until then.
    ui::PhotoAlbum::writeImageToSavedPhotosAlbum(
        item->image(),
        [self = self<SHKPhotoAlbum>()](const ns::Ref<ui::Image>&, const ns::Ref<ns::Error>& error) {
            if (error) {
                SHKDeviceSharerFailed(*self, error);
                return;
            }
            SHKActivityIndicator::currentIndicator()->displayCompleted(SHKLookupLocalizedText("Saved!"));
            self->sendDidFinish();
        });
}
