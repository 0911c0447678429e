#pragma once

#include "foundation/Date.h"
#include "graphics/Geometry.h"
#include "uikit/Responder.h"

#include <functional>
#include <string>
#include <vector>

namespace ns {
class URL;
}

namespace ui {

class ApplicationDelegate;
class Event;
class Window;

enum class InterfaceOrientation {
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 4,
    LandscapeRight = 3,
};

enum class ApplicationState { Active = 0, Inactive = 1, Background = 2 };

inline constexpr const char* ApplicationDidFinishLaunchingNotification =
    "UIApplicationDidFinishLaunchingNotification";
inline constexpr const char* ApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline constexpr const char* ApplicationDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* ApplicationDidEnterBackgroundNotification =
    "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* ApplicationWillEnterForegroundNotification =
    "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* ApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";

// The running application: its delegate, its windows, the status bar, and the hand-off of addresses
// to the rest of the device (appended to Device/opened-urls.log in the home folder).
class Application : public Responder
{
public:
    static Application& sharedApplication();

    // Creates the delegate by class name from the class registry and launches; false when no such
    // class is registered or it is no application delegate.
    bool launch(const std::string& delegateClassName);
    // Launches with a delegate at hand (tests, the built-in screen).
    void launchWithDelegate(ns::Ref<ApplicationDelegate> delegate);
    // Launches, then runs the main run loop until it is stopped; the process's exit status.
    static int applicationMain(const std::string& delegateClassName);

    const ns::Ref<ApplicationDelegate>& delegate() const { return m_delegate; }
    void setDelegate(ns::Ref<ApplicationDelegate> delegate) { m_delegate = std::move(delegate); }

    // The key window, or nothing.
    ns::Ref<Window> keyWindow() const;
    // The visible windows, from the lowest level to the highest (later ones above within a level).
    std::vector<ns::Ref<Window>> windows() const;
    // While interaction is ignored (a screen is on its way), touches reach no view: new ones are dropped
    // and those already down are cancelled. The calls nest.
    virtual void sendEvent(Event& event);
    void beginIgnoringInteractionEvents() { ++m_ignoringInteraction; }
    void endIgnoringInteractionEvents()
    {
        if (m_ignoringInteraction > 0)
            --m_ignoringInteraction;
    }
    bool isIgnoringInteractionEvents() const { return m_ignoringInteraction > 0; }

    // Hands the address to the device when a handler for its scheme exists; records it. Nothing (an
    // address that did not parse) cannot be opened.
    bool openURL(const ns::Ref<ns::URL>& url);
    bool canOpenURL(const ns::Ref<ns::URL>& url) const;
    bool openURL(const std::string& url);
    bool canOpenURL(const std::string& url) const;
    const std::vector<std::string>& openedURLs() const { return m_openedURLs; }
    // Told of each address handed to the device, as the device takes over from the application.
    void setOpenURLObserver(std::function<void(const std::string& url)> observer)
    {
        m_openURLObserver = std::move(observer);
    }
    // The schemes the device can hand on (tel, sms, http, https, mailto, itms, itms-apps, maps).
    void setOpenableSchemes(std::vector<std::string> schemes) { m_openableSchemes = std::move(schemes); }
    // An address coming from another application: the delegate's open-URL entry answers; false for text
    // that is no address.
    bool receiveURL(const std::string& url, const std::string& sourceApplication = {});

    InterfaceOrientation statusBarOrientation() const { return m_statusBarOrientation; }
    // Turning the status bar turns the interface: the application frame, every window's controller views
    // (see Window::placeInterfaceView) and the keyboard follow it.
    void setStatusBarOrientation(InterfaceOrientation orientation);
    // How long the status bar takes to turn with the device.
    static ns::TimeInterval statusBarOrientationAnimationDuration() { return 0.3; }
    bool isStatusBarHidden() const;
    void setStatusBarHidden(bool hidden, bool animated = false);
    int statusBarStyle() const { return m_statusBarStyle; }
    void setStatusBarStyle(int style, bool animated = false);
    bool isNetworkActivityIndicatorVisible() const { return m_networkActivityIndicatorVisible; }
    void setNetworkActivityIndicatorVisible(bool visible) { m_networkActivityIndicatorVisible = visible; }
    long applicationIconBadgeNumber() const { return m_badgeNumber; }
    void setApplicationIconBadgeNumber(long number) { m_badgeNumber = number; }
    bool isIdleTimerDisabled() const { return m_idleTimerDisabled; }
    void setIdleTimerDisabled(bool disabled) { m_idleTimerDisabled = disabled; }
    ApplicationState applicationState() const { return m_state; }

    // The life-cycle transitions, each told to the delegate and posted as its notification.
    void resignActive();
    void becomeActive();
    void enterBackground();
    void enterForeground();
    void terminate();

    // The screen in points, and the part below the status bar.
    static cg::Rect screenBounds();
    cg::Rect applicationFrame() const;

    // Forgets the delegate, windows, recorded addresses, openable schemes and status-bar state; for tests.
    void reset();

    std::string className() const override { return "UIApplication"; }

    // For windows.
    void windowBecameVisible(const ns::Ref<Window>& window);
    void setKeyWindow(const ns::Ref<Window>& window);

protected:
    Application() = default;
    friend ns::Factory<Application>;

private:
    void post(const char* name);

    ns::Ref<ApplicationDelegate> m_delegate;
    std::vector<ns::Weak<Window>> m_windows;
    ns::Weak<Window> m_keyWindow;
    std::vector<std::string> m_openedURLs;
    static std::vector<std::string> defaultOpenableSchemes()
    {
        return {"tel", "telprompt", "sms", "http", "https", "mailto", "itms", "itms-apps", "maps"};
    }
    std::vector<std::string> m_openableSchemes = defaultOpenableSchemes();
    InterfaceOrientation m_statusBarOrientation = InterfaceOrientation::Portrait;
    int m_statusBarStyle = 0;
    bool m_networkActivityIndicatorVisible = false;
    bool m_idleTimerDisabled = false;
    long m_badgeNumber = 0;
    ApplicationState m_state = ApplicationState::Inactive;
    int m_ignoringInteraction = 0;
    std::function<void(const std::string&)> m_openURLObserver;
};

} // namespace ui
