#include "system/ComposeViewController.h"

#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/TextField.h"
#include "uikit/TextView.h"

namespace mui {
namespace {

// The composer's one screen: its header lines, each a name and a field, then the body, filling what the
// bar leaves. It keeps the fields so that the composer can read what the user typed.
class ComposeScreen : public ui::ViewController
{
public:
    void setContent(std::function<void(ComposeScreen&)> fill) { m_fill = std::move(fill); }

    void loadView() override
    {
        ui::ViewController::loadView();
        view()->setBackgroundColor(ui::Color::whiteColor());
        if (m_fill)
            m_fill(*this);
    }

    void build(const std::vector<ComposeHeaderLine>& lines, const std::string& body)
    {
        ui::View& root = *view();
        cg::Rect frame = root.bounds();
        cg::Float y = 8;
        for (const auto& line : lines) {
            auto name = ui::Label::create(cg::makeRect(10, y, NameWidth, 22));
            name->setFont(ui::Font::systemFontOfSize(15));
            name->setTextColor(ui::Color::grayColor());
            name->setText(line.name);
            root.addSubview(name);
            cg::Rect valueFrame = cg::makeRect(10 + NameWidth, y, frame.size.width - 20 - NameWidth, 22);
            if (line.editable) {
                auto field = ui::TextField::create(valueFrame);
                field->setFont(ui::Font::systemFontOfSize(15));
                field->setText(line.value);
                root.addSubview(field);
                m_fields.push_back(field);
            } else {
                auto value = ui::Label::create(valueFrame);
                value->setFont(ui::Font::systemFontOfSize(15));
                value->setText(line.value);
                root.addSubview(value);
                m_fields.push_back(nullptr);
            }
            m_values.push_back(line.value);
            y += 30;
        }
        m_body =
            ui::TextView::create(cg::makeRect(10, y + 4, frame.size.width - 20, frame.size.height - y - 14));
        m_body->setText(body);
        root.addSubview(m_body);
    }

    bool isBuilt() const { return m_body != nullptr; }
    std::vector<std::string> values() const
    {
        std::vector<std::string> out = m_values;
        for (std::size_t i = 0; i < m_fields.size(); ++i)
            if (m_fields[i])
                out[i] = m_fields[i]->text();
        return out;
    }
    std::string body() const { return m_body ? m_body->text() : std::string(); }

private:
    static constexpr cg::Float NameWidth = 62;

    std::function<void(ComposeScreen&)> m_fill;
    std::vector<ns::Ref<ui::TextField>> m_fields; // nothing for a line the user only reads
    std::vector<std::string> m_values;
    ns::Ref<ui::TextView> m_body;
};

} // namespace

std::vector<std::string> recipientsOnLine(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find_first_of(",;", start);
        if (end == std::string::npos)
            end = line.size();
        if (std::string recipient = ns::trimWhitespace(line.substr(start, end - start)); !recipient.empty())
            out.push_back(recipient);
        start = end + 1;
    }
    return out;
}

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
    screen->setContent([weak](ComposeScreen& screen) {
        if (auto composer = weak.lock())
            screen.build(composer->headerLines(), composer->bodyText());
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

void ComposeViewController::takeScreen()
{
    auto screen = std::dynamic_pointer_cast<ComposeScreen>(
        viewControllers().empty() ? nullptr : viewControllers().front());
    if (!screen || !screen->isBuilt())
        return;
    // Editing ends as the user leaves the field, so the last word typed counts.
    if (auto* responder = ui::Responder::firstResponder())
        responder->resignFirstResponder();
    takeEdits(screen->values(), screen->body());
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
