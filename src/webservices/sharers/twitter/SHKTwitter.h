#pragma once

#include "sharing/oauth/OADataFetcherSelectors.h"
#include "sharing/sharer/SHKOAuthSharer.h"
#include "sharing/ui/SHKFormControllerLargeTextField.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

namespace ns {
class Data;
}

// The micro-blogging service's class-level answers.
class SHKTwitterClass : public SHKOAuthSharerClass, public SHKFormControllerLargeTextFieldDelegateClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canGetUserInfo() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
    // With an account to follow: name, password and the "Follow" switch, on.
    std::vector<ns::Ref<SHKFormFieldSettings>> authorizationFormFields() const override;
    // Also forgets the account information kept in the user defaults.
    void logout() const override;
};

// Posts a status of at most 140 characters to the micro-blogging service: a text, a web address after the
// item's title (shortened first when a shortening account is configured), or a picture uploaded to the
// image host with its address after the status. It can also fetch the signed-in user's account
// information. It signs in by OAuth 1.0 through the web page or, when configured, by xAuth through a login
// form. Where the device has its own tweet sheet, the share goes there instead.
class SHKTwitter : public SHKOAuthSharer, public SHKFormControllerLargeTextFieldDelegate
{
public:
    static ns::Ref<SHKTwitter> create() { return setUp(ns::Factory<SHKTwitter>::make()); }
    // Registers the class under "SHKTwitter".
    static void registerClass();

    bool xAuth() const { return m_xAuth; }
    void setXAuth(bool xAuth) { m_xAuth = xAuth; }

    // The user's choice is never remembered: every status is looked at before it goes.
    bool shouldAutoShare() override { return false; }
    // Hands the item to the tweet sheet where there is one; else prepares the status first.
    void share() override;
    // Whether the device's tweet sheet takes the share (unless configured otherwise).
    bool twitterFrameworkAvailable() const;
    // Fills the status from the item; NO while the address is being shortened (the share resumes then).
    bool prepareItem();

    bool isAuthorized() override;
    void promptAuthorization() override;
    void authorizationFormValidate(SHKFormController& form) override;
    void tokenAccessModifyRequest(OAMutableURLRequest& request) override;
    void tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data) override;

    // The status form for addresses, pictures and texts; account information goes at once.
    void show() override;
    void showTwitterForm();
    void sendForm(SHKFormControllerLargeTextField& form) override;
    void sendDidCancel() override { SHKSharer::sendDidCancel(); }

    // Shortening the item's address.
    bool shortenURL();
    void shortenURLFinished(SHKRequest& request);

    bool validateItem() override;
    // Also: the status is at most 140 characters (UTF-16 units).
    bool validateItemAfterUserEdit();
    bool send() override;

    void followMe();
    void sendUserInfo();
    void sendStatus();
    void sendImage();
    void sendUserInfoDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    void sendUserInfoDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);
    void sendStatusTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    void sendStatusTicketDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);
    void sendImageTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    void sendImageTicketDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);
    // A reply the service did not accept: sign in again, or fail with its message.
    void handleUnsuccessfulTicket(const ns::Ref<ns::Data>& data);

    // Reading replies, for the sharer and its fuzz target.
    // The image's address between "<url>" and the "</url>" after it (either in any case); nothing
    // without such a pair.
    static std::optional<std::string> uploadedImageAddress(std::string_view reply);
    // The service's message: what follows "\"error\":\"" up to the next quote, else "Unknown Error".
    static std::string errorMessage(std::string_view reply);
    // Whether a shortening reply is an address to post: an absolute http or https address.
    static bool isShortAddress(std::string_view reply);

    std::string className() const override { return "SHKTwitter"; }

protected:
    // The consumer's key and secret, the callback, xAuth and the service's addresses from the
    // configuration.
    SHKTwitter();
    friend ns::Factory<SHKTwitter>;

private:
    // "<title or text> <address>" into the status.
    void setStatusWithAddress(const std::string& address);
    // A signed request to the service's API.
    ns::Ref<OAMutableURLRequest> apiRequest(std::string_view path, const std::string& method,
                                            std::optional<std::string> realm = std::nullopt);
    void fetch(const ns::Ref<OAMutableURLRequest>& request, OADidFinishSelector finish,
               OADidFailSelector fail);
    std::optional<std::string> status() const;
    void setStatus(const std::string& status);

    std::atomic<bool> m_xAuth{false};
};

// The user default that holds the signed-in user's account information.
inline constexpr const char* SHKTwitterUserInfoKey = "kSHKTwitterUserInfo";
