#include "sharing/core/VelmoSHKConfigurator.h"

#include "foundation/Array.h"
#include "foundation/Number.h"
#include "foundation/String.h"

ns::Ref<VelmoSHKConfigurator> VelmoSHKConfigurator::create()
{
    return ns::Factory<VelmoSHKConfigurator>::make();
}

VelmoSHKConfigurator::VelmoSHKConfigurator()
{
    overrideAnswer("autoOrderFavoriteSharers", ns::Number::numberWithBool(false));
    overrideAnswer("defaultFavoriteURLSharers",
                   ns::Array::make({ns::String::make("SHKFacebook"), ns::String::make("SHKTwitter"),
                                    ns::String::make("SHKTextMessage")}));
    overrideAnswer("showActionSheetMoreButton", ns::Number::numberWithBool(true));
    overrideAnswer("favsPrefixKey", ns::String::make("VELMO_FAVS_"));
    overrideAnswer("facebookAppId", ns::String::make("513907246831560"));
}
