#include "webservices/sharers/foursquare/SHKFoursquareV2Error.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "sharing/core/SHKLocalizedText.h"

namespace {

long metaCode(const ns::Ref<ns::Dictionary>& meta)
{
    if (!meta)
        return 0;
    auto code = meta->objectForKey("code");
    if (auto number = ns::cast<ns::Number>(code))
        return number->intValue();
    if (auto text = ns::cast<ns::String>(code))
        return ns::intValue(text->str());
    return 0;
}

} // namespace

ns::Ref<ns::Error> errorWithFoursquareMeta(const ns::Ref<ns::Dictionary>& meta)
{
    long code = metaCode(meta);
    auto info = ns::MutableDictionary::make();
    info->setObject(
        ns::String::make(code == 401 ? SHKLookupLocalizedText("Could not authenticate you. Please relogin.")
                                     : SHKLookupLocalizedText("There was an error while sharing")),
        ns::LocalizedDescriptionKey);
    if (meta) {
        if (auto type = meta->objectForKey("errorType"))
            info->setObject(type, SHKFoursquareV2ErrorTypeKey);
        info->setObject(meta, SHKFoursquareV2MetaKey);
    }
    return ns::Error::make(SHKFoursquareV2ErrorDomain, code, info);
}

bool getFoursquareRelogin(const ns::Ref<ns::Error>& error)
{
    return error && error->domain() == SHKFoursquareV2ErrorDomain && error->code() == 401;
}
