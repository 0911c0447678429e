#include "system/MailComposeViewController.h"

#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Random.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "system/Digest.h"

#include <atomic>
#include <ctime>

namespace mui {
namespace {

std::atomic<bool> g_canSendMail{true};

bool isAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80 || c == '\r' || c == '\n')
            return false;
    return true;
}

// A header value outside ASCII travels as an RFC 2047 encoded word.
std::string headerValue(const std::string& text)
{
    if (isAscii(text))
        return text;
    return "=?UTF-8?B?" + cc::base64Encode(text) + "?=";
}

std::string wrapped(const std::string& base64)
{
    std::string out;
    for (std::size_t i = 0; i < base64.size(); i += 76)
        out += base64.substr(i, 76) + "\r\n";
    return out;
}

std::string rfc5322Date(double seconds)
{
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return ns::format("%s, %02d %s %04d %02d:%02d:%02d +0000", days[parts.tm_wday], parts.tm_mday,
                      months[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
}

} // namespace

bool MailComposeViewController::canSendMail()
{
    return g_canSendMail;
}

void MailComposeViewController::setCanSendMail(bool can)
{
    g_canSendMail = can;
}

ns::Ref<MailComposeViewController> MailComposeViewController::create()
{
    if (!canSendMail())
        return nullptr;
    auto composer = ns::Factory<MailComposeViewController>::make();
    composer->setUpScreen();
    return composer;
}

void MailComposeViewController::setMessageBody(std::string body, bool isHTML)
{
    m_body = std::move(body);
    m_isHTML = isHTML;
}

void MailComposeViewController::addAttachmentData(ns::Ref<ns::Data> data, std::string mimeType,
                                                  std::string fileName)
{
    if (data)
        m_attachments.push_back(MailAttachment{std::move(data), std::move(mimeType), std::move(fileName)});
}

std::string MailComposeViewController::messageText() const
{
    std::string out = "From: Velmo User <user@device.invalid>\r\n";
    out += "To: " + ns::join(m_to, ", ") + "\r\n";
    if (!m_cc.empty())
        out += "Cc: " + ns::join(m_cc, ", ") + "\r\n";
    out += "Subject: " + headerValue(m_subject) + "\r\n";
    out += "Date: " + rfc5322Date(ns::Clock::current().now()) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    std::string bodyType = std::string(m_isHTML ? "text/html" : "text/plain") + "; charset=UTF-8";
    std::string body = ns::replaceAll(ns::replaceAll(m_body, "\r\n", "\n"), "\n", "\r\n");
    if (!m_isHTML && m_attachments.empty()) {
        out += "Content-Type: " + bodyType + "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + body + "\r\n";
        return out;
    }
    std::string boundary = "velmo-" + ns::UUIDString();
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out +=
        "--" + boundary + "\r\nContent-Type: " + bodyType + "\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    out += wrapped(cc::base64Encode(m_body));
    for (const auto& attachment : m_attachments) {
        out += "--" + boundary + "\r\nContent-Type: " + attachment.mimeType + "; name=\"" +
               attachment.fileName + "\"\r\nContent-Disposition: attachment; filename=\"" +
               attachment.fileName + "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        out += wrapped(cc::base64Encode(attachment.data->view()));
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

void MailComposeViewController::finishWithResult(MailComposeResult result)
{
    auto keep = self<MailComposeViewController>();
    ns::Ref<ns::Error> error;
    if (result == MailComposeResult::Sent || result == MailComposeResult::Saved) {
        const char* folder = result == MailComposeResult::Sent ? "Mail" : "Mail/Drafts";
        if (!deliver(folder, "eml", messageText(), &error))
            result = MailComposeResult::Failed;
    } else if (result == MailComposeResult::Failed) {
        error = ns::Error::withDescription("MFMailComposeErrorDomain", 1, "The mail could not be sent.");
    }
    if (auto delegate = m_delegate.lock())
        delegate->mailComposeController(*this, result, error);
    else
        closeUnheard();
}

std::vector<std::pair<std::string, std::string>> MailComposeViewController::headerLines() const
{
    return {{"To:", ns::join(m_to, ", ")}, {"Subject:", m_subject}};
}

namespace {

// Set from the main thread, like every view matter; read when a composer's view goes.
MailComposeViewController::DidDisappearHook& didDisappearHook()
{
    static MailComposeViewController::DidDisappearHook hook;
    return hook;
}

} // namespace

void MailComposeViewController::setDidDisappearHook(DidDisappearHook hook)
{
    didDisappearHook() = std::move(hook);
}

bool MailComposeViewController::hasDidDisappearHook()
{
    return bool(didDisappearHook());
}

void MailComposeViewController::runClassStep(bool animated)
{
    if (auto hook = didDisappearHook())
        hook(*this, animated);
}

} // namespace mui
