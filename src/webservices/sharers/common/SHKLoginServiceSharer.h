#pragma once

#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharer.h"

#include <memory>
#include <optional>
#include <string>

namespace ns {
class Dictionary;
class URL;
} // namespace ns

// The class answers of a sharer that saves web addresses to a service it signs in to through the login
// form: its title (looked up), web addresses, and a login footer that says where an account is made.
class SHKLoginServiceSharerClass : public SHKSharerClass
{
public:
    // The title's English wording, the footer's format ("Create an account at %@") and the site it names.
    SHKLoginServiceSharerClass(std::string title, std::string captionFormat, std::string site);

    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;

private:
    std::string m_title;
    std::string m_captionFormat;
    std::string m_site;
};

// A sharer that checks the login form's values with one plain request to its service and sends each
// share with one more. What the check shows and does is the same for all of them; each says which
// requests go out, how a refused check is explained and what the share's answer means.
class SHKLoginServiceSharer : public SHKSharer
{
public:
    // Unless quiet, "Logging In..." on the overlay; the check goes out and the form waits as the
    // pending form.
    void authorizationFormValidate(SHKFormController& form) final;
    // Hides the overlay. A good answer saves the pending form (which stores the values); a refused one
    // shows the "Login Error" alert with the sharer's explanation and leaves the form open. Reports
    // authDidFinish with the answer's success.
    void authFinished(SHKRequest& request);
    // Nothing when the item lacks what its type needs; otherwise the share's request goes out and the
    // start is reported.
    bool send() final;
    // A saved share reports its finish. The status by which the service refuses stored credentials asks
    // for the login again (the share is sent again after it); any other failure reports the sharer's
    // explanation.
    void sendFinished(SHKRequest& request);

protected:
    // Registers T under `name`, answering as the service of that title whose login footer says where an
    // account is made.
    template <class T>
    static void registerService(const std::string& name, std::string title, std::string captionFormat,
                                std::string site)
    {
        SHKSharerClass::registerSharer<T>(
            name, std::make_shared<SHKLoginServiceSharerClass>(std::move(title), std::move(captionFormat),
                                                               std::move(site)));
    }

    struct ServiceRequest
    {
        ns::Ref<ns::URL> url;
        std::optional<std::string> body;
        std::string method;
    };
    // The check of the login form's values.
    virtual ServiceRequest loginCheck(const ns::Dictionary& values) const = 0;
    // The message of the "Login Error" alert for a refused check; nothing shows the alert without one.
    virtual std::optional<std::string> loginRefusal(const SHKRequest& request) const = 0;
    // The share of the item, with the stored credentials.
    virtual ServiceRequest shareRequest() = 0;
    // The status by which the service refuses the stored credentials of a share.
    virtual int reloginStatus() const { return 401; }
    // Whether a successful reply says that the item was saved.
    virtual bool shareSaved(SHKRequest&) const { return true; }
    // The error's description for a share that was not saved.
    virtual std::string shareFailure(const SHKRequest& request) const = 0;
};
