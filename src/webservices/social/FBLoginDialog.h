#pragma once

#include "foundation/Date.h"
#include "webservices/social/FBDialog.h"

// What the login dialog reports; both operations are required.
class FBLoginDialogDelegate
{
public:
    virtual ~FBLoginDialogDelegate() = default;
    // fbDialogLogin:expirationDate:
    virtual void fbDialogLogin(const std::string& token, const ns::Ref<ns::Date>& expirationDate) = 0;
    // fbDialogNotLogin: the flag says whether the person cancelled.
    virtual void fbDialogNotLogin(bool cancelled) = 0;
};

// The sign-in page inside the application: a web dialog whose success address carries the access token
// and its lifetime.
class FBLoginDialog : public FBDialog
{
public:
    // initWithURL:loginParams:delegate:
    static ns::Ref<FBLoginDialog> create(std::string loginURL, ns::Ref<ns::MutableDictionary> params,
                                         ns::Weak<FBLoginDialogDelegate> loginDelegate);

    ns::Ref<FBLoginDialogDelegate> loginDelegate() const { return m_loginDelegate.lock(); }

    void dialogDidSucceed(const ns::Ref<ns::URL>& url) override;
    void dialogDidCancel(const ns::Ref<ns::URL>& url) override;
    // Every failure of the page, a load that fails or a "//cancel" that carries an error code, ends the
    // sign-in as not done (not cancelled), after the dialog has gone.
    void dismissWithError(const ns::Ref<ns::Error>& error, bool animated) override;

    std::string className() const override { return "FBLoginDialog"; }

protected:
    FBLoginDialog() = default;
    friend ns::Factory<FBLoginDialog>;

private:
    ns::Weak<FBLoginDialogDelegate> m_loginDelegate;
};
