#pragma once

#include "foundation/Random.h"
#include "foundation/RunLoop.h"
#include "foundation/URLLoader.h"
#include "sharing/support/FormFixture.h"
#include "sharing/support/TestSharer.h"
#include "sharing/ui/SHKFormController.h"
#include "system/Reachability.h"

#include <gtest/gtest.h>

#include <chrono>

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
        endTransfers();
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

    // Lets what a sharer still sends end within its test, in real time and bounded: a reply handled later
    // would show its alert or take its screen in the next test.
    void endTransfers()
    {
        auto loader = ns::URLLoader::forCurrentThread();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!loader->isIdle() && std::chrono::steady_clock::now() < until) {
            ns::RunLoop::main().runOnce(0.005);
            driver.advance(0.05);
        }
        driver.settle();
    }

    ns::RandomScope random;
};
