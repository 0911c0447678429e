#include "system/TweetComposeViewController.h"

#include "foundation/Data.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/Version.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/NavigationItem.h"

namespace tw {
namespace {

// Read and set on the main thread, like every view matter.
TweetLengthRule& sharedRule()
{
    static TweetLengthRule rule;
    return rule;
}

// "…/Tweets/0007.txt" → "…/Tweets/0007-<n>.png".
std::string imagePath(const std::string& tweetPath, std::size_t n)
{
    std::string path = tweetPath.substr(0, tweetPath.size() - 4);
    path += '-';
    path += std::to_string(n);
    path += ".png";
    return path;
}

std::string fileName(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool TweetComposeViewController::isAvailable()
{
    return ns::compareNumeric(ui::Device::currentDevice()->systemVersion(), "5.0") >= 0;
}

ns::Ref<TweetComposeViewController> TweetComposeViewController::create()
{
    if (!isAvailable())
        return nullptr;
    auto sheet = ns::Factory<TweetComposeViewController>::make();
    sheet->setUpScreen();
    if (auto screen = sheet->topViewController())
        screen->navigationItem()->setTitle(std::string("Tweet"));
    return sheet;
}

TweetLengthRule TweetComposeViewController::lengthRule()
{
    return sharedRule();
}

void TweetComposeViewController::setLengthRule(const TweetLengthRule& rule)
{
    sharedRule() = rule;
}

bool TweetComposeViewController::fits(const std::string& text, std::size_t urls, std::size_t images) const
{
    const TweetLengthRule& rule = sharedRule();
    // Each term is bounded by the maximum first, so that no sum can wrap.
    std::size_t room = rule.maximumLength;
    std::size_t length = ns::utf16Length(text);
    if (length > room)
        return false;
    room -= length;
    for (std::size_t i = 0; i < urls; ++i) {
        if (rule.urlLength > room)
            return false;
        room -= rule.urlLength;
    }
    for (std::size_t i = 0; i < images; ++i) {
        if (rule.imageLength > room)
            return false;
        room -= rule.imageLength;
    }
    return true;
}

bool TweetComposeViewController::setInitialText(const std::string& text)
{
    if (isOnScreen() || !fits(text, m_urls.size(), m_images.size()))
        return false;
    m_text = text;
    return true;
}

bool TweetComposeViewController::addImage(const ns::Ref<ui::Image>& image)
{
    if (!image || isOnScreen() || !fits(m_text, m_urls.size(), m_images.size() + 1))
        return false;
    m_images.push_back(image);
    return true;
}

bool TweetComposeViewController::removeAllImages()
{
    if (isOnScreen())
        return false;
    m_images.clear();
    return true;
}

bool TweetComposeViewController::addURL(const ns::Ref<ns::URL>& url)
{
    if (!url || isOnScreen() || !fits(m_text, m_urls.size() + 1, m_images.size()))
        return false;
    m_urls.push_back(url);
    return true;
}

bool TweetComposeViewController::removeAllURLs()
{
    if (isOnScreen())
        return false;
    m_urls.clear();
    return true;
}

std::vector<mui::ComposeHeaderLine> TweetComposeViewController::headerLines() const
{
    // The attachments are shown, not edited.
    std::vector<mui::ComposeHeaderLine> lines;
    for (const auto& url : m_urls)
        lines.push_back({"URL:", url->absoluteString(), false});
    for (std::size_t i = 1; i <= m_images.size(); ++i)
        lines.push_back({"Image:", std::to_string(i), false});
    return lines;
}

bool TweetComposeViewController::write()
{
    std::string path = mui::nextDeviceFile("Tweets", "txt");
    std::string text;
    for (const auto& url : m_urls) {
        text += "URL: ";
        text += url->absoluteString();
        text += '\n';
    }
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        std::string picture = imagePath(path, i + 1);
        auto png = ui::ImagePNGRepresentation(m_images[i]);
        if (!png || !ns::FileManager::writeAtomically(picture, *png))
            return false;
        text += "Image: ";
        text += fileName(picture);
        text += '\n';
    }
    text += '\n';
    text += m_text;
    text += '\n';
    // The text goes last: a tweet on the device is whole once its text file is there.
    return deliverAt(path, text, nullptr);
}

void TweetComposeViewController::finishWithResult(TweetComposeViewControllerResult result)
{
    auto keep = self<TweetComposeViewController>();
    takeScreen();
    if (result == TweetComposeViewControllerResult::Done && !write()) {
        ns::log("The tweet could not be written to the device");
        result = TweetComposeViewControllerResult::Cancelled;
    }
    if (auto handler = std::move(m_completion)) {
        m_completion = nullptr;
        handler(result);
    } else {
        closeUnheard();
    }
}

} // namespace tw
