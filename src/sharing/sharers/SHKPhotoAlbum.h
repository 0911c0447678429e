#pragma once

#include "sharing/sharer/SHKSharer.h"

// Saves the item's picture in the device's saved-photos album. Works on the device, at once, without signing
// in.
class SHKPhotoAlbum : public SHKSharer
{
public:
    static ns::Ref<SHKPhotoAlbum> create() { return setUp(ns::Factory<SHKPhotoAlbum>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }
    // Writes the picture; the album reports the result later on the main run loop.
    void writeImageToAlbum();

    std::string className() const override { return "SHKPhotoAlbum"; }

protected:
    SHKPhotoAlbum() = default;
    friend ns::Factory<SHKPhotoAlbum>;
};

class SHKPhotoAlbumClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareImage() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
};
