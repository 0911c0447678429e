#include "uikit/ApplicationDelegate.h"

namespace ui {

void ApplicationDelegate::applicationDidFinishLaunching(Application&)
{
}

bool ApplicationDelegate::applicationDidFinishLaunchingWithOptions(Application& application,
                                                                   const ns::Ref<ns::Dictionary>&)
{
    applicationDidFinishLaunching(application);
    return true;
}

bool ApplicationDelegate::applicationHandleOpenURL(Application&, const ns::Ref<ns::URL>&)
{
    return true;
}

bool ApplicationDelegate::applicationOpenURL(Application& application, const ns::Ref<ns::URL>& url,
                                             const std::string&, const ns::Id&)
{
    return applicationHandleOpenURL(application, url);
}

} // namespace ui
