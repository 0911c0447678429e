#pragma once

#include "system/ComposeViewController.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ns {
class URL;
}
namespace ui {
class Image;
}

// The device's tweet sheet. The platform has it from system 5.0 on: below that the class is missing, as a
// weakly linked class is.
namespace tw {

enum class TweetComposeViewControllerResult { Cancelled = 0, Done = 1 };

// How much of a tweet's room the text and the attachments take: the text counts its UTF-16 units, every
// address and every picture a fixed length, as the service shortens them.
struct TweetLengthRule
{
    std::size_t maximumLength = 140;
    std::size_t urlLength = 21;
    std::size_t imageLength = 21;
};

// A sheet that the user sends or cancels (Send and Cancel on its bar, or a test or script driving
// them). A sent tweet lands in Device/Tweets as "NNNN.txt": one "URL: " line per address and one
// "Image: " line per picture (written beside it as "NNNN-K.png"), a blank line, then the text.
class TweetComposeViewController : public mui::ComposeViewController
{
public:
    using CompletionHandler = std::function<void(TweetComposeViewControllerResult result)>;

    // Whether the class exists on this device: from system version 5.0 on.
    static bool isAvailable();
    // Nothing where the class is missing.
    static ns::Ref<TweetComposeViewController> create();

    // The device's rule; the same for every sheet. Main thread.
    static TweetLengthRule lengthRule();
    static void setLengthRule(const TweetLengthRule& rule);

    // Each answers whether the sheet took it: NO once the sheet is on screen, for nothing, and when the
    // tweet would no longer fit the length rule. A refused text leaves the sheet's text as it was.
    bool setInitialText(const std::string& text);
    bool addImage(const ns::Ref<ui::Image>& image);
    bool removeAllImages();
    bool addURL(const ns::Ref<ns::URL>& url);
    bool removeAllURLs();
    // Told once the user sent or cancelled; without one the sheet closes itself. The sheet lets the
    // handler go once it has run, so that what the handler holds does not outlive the result.
    void setCompletionHandler(CompletionHandler handler) { m_completion = std::move(handler); }

    const std::string& initialText() const { return m_text; }
    const std::vector<ns::Ref<ui::Image>>& images() const { return m_images; }
    const std::vector<ns::Ref<ns::URL>>& urls() const { return m_urls; }

    // The user's choices. Send writes the tweet; a tweet that cannot be written is reported cancelled.
    void send() override { finishWithResult(TweetComposeViewControllerResult::Done); }
    void cancel() override { finishWithResult(TweetComposeViewControllerResult::Cancelled); }
    void finishWithResult(TweetComposeViewControllerResult result);

    std::string className() const override { return "TWTweetComposeViewController"; }

protected:
    TweetComposeViewController() = default;
    friend ns::Factory<TweetComposeViewController>;

    std::vector<mui::ComposeHeaderLine> headerLines() const override;
    std::string bodyText() const override { return m_text; }
    void takeEdits(const std::vector<std::string>&, const std::string& body) override { m_text = body; }
    void runClassStep(bool) override {}

private:
    bool fits(const std::string& text, std::size_t urls, std::size_t images) const;
    bool isOnScreen() const { return presentingViewController() != nullptr; }
    bool write();

    std::string m_text;
    std::vector<ns::Ref<ui::Image>> m_images;
    std::vector<ns::Ref<ns::URL>> m_urls;
    CompletionHandler m_completion;
};

} // namespace tw
