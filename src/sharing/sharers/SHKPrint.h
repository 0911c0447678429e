#pragma once

#include "sharing/sharer/SHKSharer.h"

// Prints the item's picture through the device's print panel, where the device has one.
class SHKPrint : public SHKSharer
{
public:
    static ns::Ref<SHKPrint> create() { return setUp(ns::Factory<SHKPrint>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return false; }
    // Shows the print panel; false when the device has no print controller.
    bool print();

    std::string className() const override { return "SHKPrint"; }

protected:
    SHKPrint() = default;
    friend ns::Factory<SHKPrint>;
};

class SHKPrintClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareImage() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
    // The print controller's class exists and printing is available.
    bool canShare() const override;
};
