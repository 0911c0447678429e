#include "uikit/Application.h"

#include "foundation/Ascii.h"
#include "foundation/ClassRegistry.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"
#include "foundation/URL.h"
#include "uikit/ApplicationDelegate.h"
#include "uikit/Event.h"
#include "uikit/Keyboard.h"
#include "uikit/Screen.h"
#include "uikit/Window.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace ui {
namespace {

std::string schemeOf(const std::string& url)
{
    auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme) {
        if (!(ns::isAsciiAlphanumeric(c) || c == '+' || c == '-' || c == '.'))
            return {};
        c = ns::toLowerAscii(c);
    }
    return scheme;
}

// Appends one line to the log by writing the whole file anew beside it and renaming it into place, so a
// reader never sees half a line.
void appendLineAtomically(const std::filesystem::path& path, const std::string& line)
{
    std::string content;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        content = read.str();
    }
    content += line;
    content += '\n';
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    auto temporary = path;
    temporary += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            return;
        }
    }
    std::filesystem::rename(temporary, path, ignored);
    if (ignored)
        std::filesystem::remove(temporary, ignored);
}

} // namespace

Application& Application::sharedApplication()
{
    // Never destroyed: its windows and the screens on them, a dialog or a form among them, outlive the
    // process's end instead of going after the notification centre and the run loop they use.
    static auto* shared = new ns::Ref<Application>(ns::Factory<Application>::make());
    return **shared;
}

bool Application::launch(const std::string& delegateClassName)
{
    auto created = rt::ClassRegistry::shared().create(delegateClassName);
    auto delegate = std::dynamic_pointer_cast<ApplicationDelegate>(created);
    if (!delegate)
        return false;
    launchWithDelegate(std::move(delegate));
    return true;
}

void Application::launchWithDelegate(ns::Ref<ApplicationDelegate> delegate)
{
    m_delegate = std::move(delegate);
    m_state = ApplicationState::Inactive;
    // Keep the delegate alive through its own launch even if it replaces itself.
    auto keep = m_delegate;
    if (keep)
        keep->applicationDidFinishLaunchingWithOptions(*this, nullptr);
    post(ApplicationDidFinishLaunchingNotification);
    becomeActive();
}

int Application::applicationMain(const std::string& delegateClassName)
{
    if (!sharedApplication().launch(delegateClassName))
        return 1;
    ns::RunLoop::main().run();
    return 0;
}

ns::Ref<Window> Application::keyWindow() const
{
    auto window = m_keyWindow.lock();
    if (window && window->isHidden())
        return nullptr;
    return window;
}

std::vector<ns::Ref<Window>> Application::windows() const
{
    std::vector<ns::Ref<Window>> result;
    for (const auto& weak : m_windows)
        if (auto window = weak.lock(); window && !window->isHidden())
            result.push_back(window);
    std::stable_sort(result.begin(), result.end(),
                     [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    return result;
}

void Application::sendEvent(Event& event)
{
    if (isIgnoringInteractionEvents()) {
        // A touch that began before is cancelled where it is; none reaches a view again.
        for (const auto& touch : event.allTouches()) {
            if (!touch->view() || !touch->window())
                continue;
            if (touch->phase() != TouchPhase::Began) {
                touch->setPhase(TouchPhase::Cancelled);
                TouchSet one;
                one.add(touch);
                auto keep = touch->view();
                keep->touchesCancelled(one, &event);
            }
            touch->setView(nullptr);
        }
        return;
    }
    std::vector<ns::Ref<Window>> targets;
    for (const auto& touch : event.allTouches())
        if (touch->window() && std::find(targets.begin(), targets.end(), touch->window()) == targets.end())
            targets.push_back(touch->window());
    for (const auto& window : targets)
        window->sendEvent(event);
}

void Application::windowBecameVisible(const ns::Ref<Window>& window)
{
    std::erase_if(m_windows, [&](const ns::Weak<Window>& weak) {
        auto live = weak.lock();
        return !live || live == window;
    });
    m_windows.push_back(window);
}

void Application::setKeyWindow(const ns::Ref<Window>& window)
{
    m_keyWindow = window;
}

bool Application::canOpenURL(const std::string& url) const
{
    // One address a line in the log: control characters make no address.
    if (std::any_of(url.begin(), url.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return false;
    std::string scheme = schemeOf(url);
    return !scheme.empty() &&
           std::find(m_openableSchemes.begin(), m_openableSchemes.end(), scheme) != m_openableSchemes.end();
}

bool Application::openURL(const ns::Ref<ns::URL>& url)
{
    return url && openURL(url->absoluteString());
}

bool Application::canOpenURL(const ns::Ref<ns::URL>& url) const
{
    return url && canOpenURL(url->absoluteString());
}

bool Application::openURL(const std::string& url)
{
    if (!canOpenURL(url))
        return false;
    m_openedURLs.push_back(url);
    appendLineAtomically(std::filesystem::path(ns::Sandbox::devicePath()) / "opened-urls.log", url);
    if (m_openURLObserver)
        m_openURLObserver(url);
    return true;
}

bool Application::receiveURL(const std::string& url, const std::string& sourceApplication)
{
    auto keep = m_delegate;
    auto parsed = ns::URL::withString(url);
    if (!keep || !parsed)
        return false;
    return keep->applicationOpenURL(*this, parsed, sourceApplication, nullptr);
}

void Application::setStatusBarOrientation(InterfaceOrientation orientation)
{
    if (orientation == m_statusBarOrientation)
        return;
    m_statusBarOrientation = orientation;
    // Hidden windows too: they show turned when they come up.
    std::vector<ns::Ref<Window>> all;
    for (const auto& weak : m_windows)
        if (auto window = weak.lock())
            all.push_back(window);
    for (auto& window : all)
        window->interfaceOrientationDidChange();
    Keyboard::interfaceOrientationDidChange();
}

bool Application::isStatusBarHidden() const
{
    return Screen::mainScreen()->statusBarHidden();
}

void Application::setStatusBarHidden(bool hidden, bool)
{
    Screen::mainScreen()->setStatusBarHidden(hidden);
}

void Application::setStatusBarStyle(int style, bool)
{
    m_statusBarStyle = style;
}

void Application::post(const char* name)
{
    ns::NotificationCenter::defaultCenter().postNotification(name, self<Application>());
}

void Application::resignActive()
{
    if (m_state != ApplicationState::Active)
        return;
    m_state = ApplicationState::Inactive;
    if (auto keep = m_delegate)
        keep->applicationWillResignActive(*this);
    post(ApplicationWillResignActiveNotification);
}

void Application::becomeActive()
{
    if (m_state == ApplicationState::Active)
        return;
    m_state = ApplicationState::Active;
    if (auto keep = m_delegate)
        keep->applicationDidBecomeActive(*this);
    post(ApplicationDidBecomeActiveNotification);
}

void Application::enterBackground()
{
    resignActive();
    m_state = ApplicationState::Background;
    if (auto keep = m_delegate)
        keep->applicationDidEnterBackground(*this);
    post(ApplicationDidEnterBackgroundNotification);
}

void Application::enterForeground()
{
    if (m_state != ApplicationState::Background)
        return;
    m_state = ApplicationState::Inactive;
    if (auto keep = m_delegate)
        keep->applicationWillEnterForeground(*this);
    post(ApplicationWillEnterForegroundNotification);
    becomeActive();
}

void Application::terminate()
{
    if (auto keep = m_delegate)
        keep->applicationWillTerminate(*this);
    post(ApplicationWillTerminateNotification);
}

cg::Rect Application::screenBounds()
{
    return Screen::mainScreen()->bounds();
}

cg::Rect Application::applicationFrame() const
{
    return Screen::mainScreen()->applicationFrame();
}

void Application::reset()
{
    m_delegate.reset();
    m_windows.clear();
    m_keyWindow.reset();
    m_openedURLs.clear();
    m_openableSchemes = defaultOpenableSchemes();
    m_statusBarOrientation = InterfaceOrientation::Portrait;
    Screen::mainScreen()->setStatusBarHidden(false);
    m_statusBarStyle = 0;
    m_networkActivityIndicatorVisible = false;
    m_badgeNumber = 0;
    m_state = ApplicationState::Inactive;
    m_ignoringInteraction = 0;
}

} // namespace ui
