#include "sharing/core/SHKSharerClass.h"

#include "sharing/core/SHK.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"

std::shared_ptr<const SHKSharerClass> SHKSharerClass::named(std::string_view name)
{
    return rt::ClassRegistry::shared().metaAs<SHKSharerClass>(name);
}

bool SHKSharerClass::canShareType(int type) const
{
    switch (type) {
    case SHKShareTypeURL:
        return canShareURL();
    case SHKShareTypeText:
        return canShareText();
    case SHKShareTypeImage:
        return canShareImage();
    case SHKShareTypeFile:
        return canShareFile();
    case SHKShareTypeAccountInfo:
        return canGetUserInfo();
    default:
        return false;
    }
}

std::vector<ns::Ref<SHKFormFieldSettings>> SHKSharerClass::authorizationFormFields() const
{
    return {
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Username"), "username",
                                    SHKFormFieldTypeTextNoCorrect, std::nullopt),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Password"), "password", SHKFormFieldTypePassword,
                                    std::nullopt),
    };
}

void SHKSharerClass::logout() const
{
    std::string id = sharerId();
    for (const auto& row : authorizationFormFields())
        if (row && row->key())
            SHK::removeAuthValueForKey(*row->key(), id);
}
