#include "webservices/social/FBLoginDialog.h"

#include "foundation/Text.h"

ns::Ref<FBLoginDialog> FBLoginDialog::create(std::string loginURL, ns::Ref<ns::MutableDictionary> params,
                                             ns::Weak<FBLoginDialogDelegate> loginDelegate)
{
    auto dialog = ns::Factory<FBLoginDialog>::make();
    dialog->build();
    // The dialog's own delegate stays empty: the login delegate hears how the sign-in went.
    dialog->setUp(std::move(loginURL), std::move(params), {});
    dialog->m_loginDelegate = std::move(loginDelegate);
    return dialog;
}

void FBLoginDialog::dialogDidSucceed(const ns::Ref<ns::URL>& url)
{
    auto keep = self<FBLoginDialog>();
    std::string text = url ? url->absoluteString() : std::string();
    auto token = getStringFromUrl(text, "access_token=");
    auto expiresIn = getStringFromUrl(text, "expires_in=");
    // Without a lifetime the token does not expire, as when the sign-in comes back from outside.
    ns::Ref<ns::Date> expirationDate = ns::Date::distantFuture();
    if (expiresIn) {
        if (int seconds = ns::intValue(*expiresIn); seconds != 0)
            expirationDate = ns::Date::withTimeIntervalSinceNow(seconds);
    }
    if (token && !token->empty()) {
        if (auto delegate = loginDelegate())
            delegate->fbDialogLogin(*token, expirationDate);
        dismissWithSuccess(true, true);
    } else {
        dialogDidCancel(url);
    }
}

void FBLoginDialog::dialogDidCancel(const ns::Ref<ns::URL>&)
{
    auto keep = self<FBLoginDialog>();
    dismissWithSuccess(false, true);
    if (auto delegate = loginDelegate())
        delegate->fbDialogNotLogin(true);
}

void FBLoginDialog::dismissWithError(const ns::Ref<ns::Error>& error, bool animated)
{
    auto keep = self<FBLoginDialog>();
    FBDialog::dismissWithError(error, animated);
    if (auto delegate = loginDelegate())
        delegate->fbDialogNotLogin(false);
}
