#include "system/ComposeViewController.h"

#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Sandbox.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/TextView.h"

namespace mui {
namespace {

// The composer's one screen: its header lines, then the body, filling what the bar leaves.
class ComposeScreen : public ui::ViewController
{
public:
    void setContent(std::function<void(ui::View&)> fill) { m_fill = std::move(fill); }

    void loadView() override
    {
        ui::ViewController::loadView();
        view()->setBackgroundColor(ui::Color::whiteColor());
        if (m_fill)
            m_fill(*view());
    }

private:
    std::function<void(ui::View&)> m_fill;
};

} // namespace

std::string nextDeviceFile(const std::string& folder, const std::string& extension)
{
    std::string path = ns::Sandbox::devicePath();
    path += '/';
    path += folder;
    ns::FileManager::createDirectoryAtPath(path, true);
    for (int n = 1;; ++n) {
        std::string candidate = path;
        candidate += ns::format("/%04d.", n);
        candidate += extension;
        if (!ns::FileManager::fileExistsAtPath(candidate))
            return candidate;
    }
}

ComposeViewController::ComposeViewController() : NavigationController(ns::make<ComposeScreen>())
{
}

void ComposeViewController::setUpScreen()
{
    connectNavigationBar();
    auto screen = std::static_pointer_cast<ComposeScreen>(topViewController());
    auto weak = weakSelf<ComposeViewController>();
    // The header and body are read when the screen first shows, so that what was set before counts.
    screen->setContent([weak](ui::View& view) {
        auto composer = weak.lock();
        if (!composer)
            return;
        cg::Rect frame = view.bounds();
        cg::Float y = 8;
        for (const auto& [name, value] : composer->headerLines()) {
            auto label = ui::Label::create();
            label->setFrame(cg::makeRect(10, y, frame.size.width - 20, 22));
            label->setFont(ui::Font::systemFontOfSize(15));
            std::string line = name;
            line += ' ';
            line += value;
            label->setText(line);
            view.addSubview(label);
            y += 30;
        }
        auto text = ui::TextView::create();
        text->setFrame(cg::makeRect(10, y + 4, frame.size.width - 20, frame.size.height - y - 14));
        text->setText(composer->bodyText());
        view.addSubview(text);
    });
    auto item = screen->navigationItem();
    item->setTitle(std::string("New Message"));
    auto target = shared_from_this();
    item->setLeftBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel, target, [weak](const ns::Id&) {
            if (auto composer = weak.lock())
                composer->cancel();
        }));
    item->setRightBarButtonItem(
        ui::BarButtonItem::withTitle("Send", ui::BarButtonItemStyle::Done, target, [weak](const ns::Id&) {
            if (auto composer = weak.lock())
                composer->send();
        }));
}

bool ComposeViewController::deliver(const std::string& folder, const std::string& extension,
                                    const std::string& text, ns::Ref<ns::Error>* error)
{
    return deliverAt(nextDeviceFile(folder, extension), text, error);
}

bool ComposeViewController::deliverAt(const std::string& path, const std::string& text,
                                      ns::Ref<ns::Error>* error)
{
    if (!ns::FileManager::writeAtomically(path, text, error))
        return false;
    m_sentPath = path;
    return true;
}

void ComposeViewController::viewDidDisappear(bool animated)
{
    auto keep = self<ComposeViewController>();
    ui::NavigationController::viewDidDisappear(animated);
    if (onDidDisappear)
        onDidDisappear();
    runClassStep(animated);
}

} // namespace mui
