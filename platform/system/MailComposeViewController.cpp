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
#include <cstring>
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

// What an HTML body reads as on the screen: line breaks and paragraphs end lines, other tags go, the
// common entities become their characters.
std::string htmlAsText(const std::string& html)
{
    std::string out;
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            std::size_t close = html.find('>', i);
            if (close == std::string::npos)
                break;
            std::string tag = ns::toLowerAscii(html.substr(i + 1, close - i - 1));
            if (tag.rfind("br", 0) == 0 || tag == "/p" || tag == "/div")
                out += '\n';
            i = close + 1;
            continue;
        }
        if (html[i] == '&') {
            static const std::pair<const char*, const char*> entities[] = {{"&amp;", "&"}, {"&lt;", "<"},
                                                                           {"&gt;", ">"},  {"&quot;", "\""},
                                                                           {"&#39;", "'"}, {"&nbsp;", " "}};
            bool replaced = false;
            for (const auto& [entity, character] : entities)
                if (html.compare(i, std::strlen(entity), entity) == 0) {
                    out += character;
                    i += std::strlen(entity);
                    replaced = true;
                    break;
                }
            if (replaced)
                continue;
        }
        out += html[i++];
    }
    return out;
}

// The typed text as an HTML body: special characters escaped, each line ended by a break.
std::string textAsHTML(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '\n')
            out += "<br/>";
        else
            out += c;
    }
    return out;
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
    takeScreen();
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

std::vector<ComposeHeaderLine> MailComposeViewController::headerLines() const
{
    return {{"To:", ns::join(m_to, ", ")}, {"Cc:", ns::join(m_cc, ", ")}, {"Subject:", m_subject}};
}

std::string MailComposeViewController::bodyText() const
{
    return m_isHTML ? htmlAsText(m_body) : m_body;
}

void MailComposeViewController::takeEdits(const std::vector<std::string>& values, const std::string& body)
{
    if (values.size() == 3) {
        m_to = recipientsOnLine(values[0]);
        m_cc = recipientsOnLine(values[1]);
        m_subject = values[2];
    }
    // An HTML body the user left as it showed keeps its mark-up; a changed one is what was typed.
    if (body != bodyText())
        m_body = m_isHTML ? textAsHTML(body) : body;
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
