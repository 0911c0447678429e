#pragma once

#include "foundation/Bundle.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

// A device as the sharing framework finds it at launch: its texts from the bundled resources, the default
// configuration installed (which the holder may change through `configurator`), and a key window whose
// root controller the facade presents from. The tests of sharers and their screens start from it, and so
// do the benchmarks that share. Header only: the benchmarks do not link the test kit.
struct SharingDevice
{
    void start()
    {
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        configurator = DefaultSHKConfigurator::create();
        SHKConfiguration::sharedInstanceWithConfigurator(configurator);
        window = ui::Window::create();
        window->makeKeyAndVisible();
        root = ui::ViewController::create();
        window->setRootViewController(root);
        SHK::setRootViewController(root);
    }

    ns::Ref<DefaultSHKConfigurator> configurator;
    ns::Ref<ui::Window> window;
    ns::Ref<ui::ViewController> root;
};
