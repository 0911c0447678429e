#pragma once

#include "foundation/Object.h"

#include <string>

namespace ns {
class Dictionary;
class URL;
} // namespace ns

namespace ui {

class Application;

// What the application tells its delegate. Every operation is optional; the defaults do nothing and an
// incoming address is accepted.
class ApplicationDelegate
{
public:
    virtual ~ApplicationDelegate() = default;

    virtual void applicationDidFinishLaunching(Application& application);
    // application:didFinishLaunchingWithOptions:; the default calls applicationDidFinishLaunching.
    virtual bool applicationDidFinishLaunchingWithOptions(Application& application,
                                                          const ns::Ref<ns::Dictionary>& launchOptions);
    // application:handleOpenURL:
    virtual bool applicationHandleOpenURL(Application& application, const ns::Ref<ns::URL>& url);
    // application:openURL:sourceApplication:annotation:; the default asks applicationHandleOpenURL.
    virtual bool applicationOpenURL(Application& application, const ns::Ref<ns::URL>& url,
                                    const std::string& sourceApplication, const ns::Id& annotation);

    virtual void applicationWillResignActive(Application&) {}
    virtual void applicationDidBecomeActive(Application&) {}
    virtual void applicationDidEnterBackground(Application&) {}
    virtual void applicationWillEnterForeground(Application&) {}
    virtual void applicationWillTerminate(Application&) {}
};

} // namespace ui
