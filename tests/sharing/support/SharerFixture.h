#pragma once

#include "foundation/Random.h"
#include "sharing/support/FormFixture.h"
#include "sharing/support/TestSharer.h"
#include "sharing/ui/SHKFormController.h"
#include "system/Reachability.h"

#include <gtest/gtest.h>

// A fresh device to share on: the form fixture's device, online, with a repeatable random source and
// TestSharer registered with its default answers.
class SharerFixture : public FormFixture
{
protected:
    SharerFixture()
    {
        net::Reachability::setNetworkOn(true);
        TestSharer::registerClass();
    }
    ~SharerFixture() override
    {
        finishInput();
        TestSharer::unregisterClass();
        TestSharer::sentItems().clear();
        net::Reachability::setOverride(std::nullopt);
    }

    // Sets a configuration key for this test.
    void configure(std::string_view key, ns::Id value)
    {
        configurator->setValueForKey(key, std::move(value));
    }
    // The form on top of the sharer, when the facade shows the sharer.
    ns::Ref<SHKFormController> shownForm(const ns::Ref<SHKSharer>& sharer)
    {
        if (SHK::currentHelper()->currentView() != sharer)
            return nullptr;
        return ns::cast<SHKFormController>(sharer->topViewController());
    }
    // Lets presentations, dismissals and posted work end.
    void settle() { driver.advance(1); }

    ns::RandomScope random;
};
