#pragma once

#include "sharing/sharer/SHKOAuthSharer.h"

#include <atomic>

namespace ns {
class Data;
}

// Saves a web address as a bookmark at Readability, optionally as a favourite and archived. It signs in
// by OAuth 1.0, through the web page or, when configured, by xAuth through a login form, and sends one
// signed request per share.
class SHKReadability : public SHKOAuthSharer
{
public:
    static ns::Ref<SHKReadability> create() { return setUp(ns::Factory<SHKReadability>::make()); }
    // Registers the class under "SHKReadability".
    static void registerClass();

    bool xAuth() const { return m_xAuth; }
    void setXAuth(bool xAuth) { m_xAuth = xAuth; }

    bool isAuthorized() override;
    // The login form with xAuth, else the web sign-in.
    void promptAuthorization() override;
    // Keeps the form and asks for the access token with its values.
    void authorizationFormValidate(SHKFormController& form) override;
    void tokenAccessModifyRequest(OAMutableURLRequest& request) override;
    void tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data) override;

    // The "Favorite" and "Archive" switches for web addresses, both off.
    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;
    // Keeps the switches as the user's last choice before sending, so the request carries them.
    void shareFormSave(SHKFormController& form) override;
    bool send() override;

    // The signed bookmark request.
    void sendBookmark();
    void sendTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    void sendTicketDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);
    // A reply the service did not accept: sign in again, success after all, or the service's message.
    void handleUnsuccessfulTicket(const ns::Ref<ns::Data>& data);

    // The user defaults of the last choices, filled with the sharer's id.
    static std::string isFavoriteKey(const std::string& sharerId);
    static std::string shouldArchiveKey(const std::string& sharerId);

    std::string className() const override { return "SHKReadability"; }

protected:
    // The consumer's key and secret, xAuth and the service's addresses from the configuration.
    SHKReadability();
    friend ns::Factory<SHKReadability>;

private:
    std::atomic<bool> m_xAuth{false};
};

class SHKReadabilityClass : public SHKOAuthSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
    // Also forgets the account information kept in the user defaults.
    void logout() const override;
};

// The user default that held the account information.
inline constexpr const char* SHKReadabilityUserInfoKey = "kSHKReadabilityUserInfo";
