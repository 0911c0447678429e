#include "uikit/ApplicationDelegate.h"

namespace ui {

void ApplicationDelegate::applicationDidFinishLaunching(Application&) {}

bool ApplicationDelegate::applicationDidFinishLaunchingWithOptions(Application& application,
                                                                   const ns::Ref<ns::Dictionary>&)
{
    applicationDidFinishLaunching(application);
    return true;
}

bool ApplicationDelegate::applicationHandleOpenURL(Application&, const std::string&)
{
    return true;
}

bool ApplicationDelegate::applicationOpenURL(Application& application, const std::string& url, const std::string&,
                                             const ns::Id&)
{
    return applicationHandleOpenURL(application, url);
}

} // namespace ui
