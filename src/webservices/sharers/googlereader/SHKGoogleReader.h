#pragma once

#include "sharing/sharer/SHKSharer.h"

#include <string_view>

namespace ns {
class MutableDictionary;
}

// Shares a web address with a note to the Google Reader feed reader. Signs in with e-mail address and
// password for a session of key-value pairs (among them the authorisation token "Auth"); each share then
// fetches a one-time edit token and posts the item with it, both requests carrying the session as cookies
// and the token in an "Authorization" header.
class SHKGoogleReader : public SHKSharer
{
public:
    static ns::Ref<SHKGoogleReader> create() { return setUp(ns::Factory<SHKGoogleReader>::make()); }
    // Registers the class under "SHKGoogleReader".
    static void registerClass();

    // The pairs of the last sign-in reply; nothing before the first sign-in and after the service
    // refused the session.
    const ns::Ref<ns::MutableDictionary>& session() const { return m_session; }
    void setSession(ns::Ref<ns::MutableDictionary> session) { m_session = std::move(session); }

    // The pairs of a sign-in reply: each line (split at "\n") with exactly one "=" gives key = value;
    // other lines are ignored.
    static ns::Ref<ns::MutableDictionary> sessionFromReply(std::string_view text);

    void authorizationFormValidate(SHKFormController& form) override;
    void getSession(const std::string& email, const std::string& password);
    void authFinished(SHKRequest& request);

    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;
    void shareFormSave(SHKFormController& form) override;

    // Puts the session onto the request: one cookie per pair and the authorisation header.
    void signRequest(SHKRequest& request) const;
    bool send() override;
    void tokenFinished(SHKRequest& request);
    void sendWithToken(const std::string& token);
    void sendFinished(SHKRequest& request);

    std::string className() const override { return "SHKGoogleReader"; }

protected:
    SHKGoogleReader() = default;
    friend ns::Factory<SHKGoogleReader>;

private:
    // Whether a sign-in gave an authorisation token that the service has not refused since.
    bool hasSession() const;
    // The service refused the session: it is forgotten, and the share waits for a new sign-in.
    void sessionRefused();

    ns::Ref<ns::MutableDictionary> m_session;
};

class SHKGoogleReaderClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    // "Email" and "Password".
    std::vector<ns::Ref<SHKFormFieldSettings>> authorizationFormFields() const override;
    std::optional<std::string> authorizationFormCaption() const override;
};
