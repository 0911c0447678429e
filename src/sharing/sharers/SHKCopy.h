#pragma once

#include "sharing/sharer/SHKSharer.h"

// Puts the item on the general pasteboard: its address, its text or its picture. Works on the device, at
// once, without signing in.
class SHKCopy : public SHKSharer
{
public:
    static ns::Ref<SHKCopy> create() { return setUp(ns::Factory<SHKCopy>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }
    // Puts the item's picture on the general pasteboard.
    void placeImageOnPasteboard();

    std::string className() const override { return "SHKCopy"; }

protected:
    SHKCopy() = default;
    friend ns::Factory<SHKCopy>;
};

class SHKCopyClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
};
