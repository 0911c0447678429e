#include "sharing/core/SHK.h"

#include "foundation/Exception.h"
#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"
#include "foundation/RunLoop.h"
#include "sharing/core/SHKConfiguration.h"
#include "system/MailComposeViewController.h"
#include "system/MessageComposeViewController.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/Window.h"

#include <mutex>

namespace {

// The delay between a dismissal's report and the waiting screen, so that the platform has finished with
// the screen that went.
constexpr ns::TimeInterval PendingViewDelay = 0.02;
// How often a dismissal asked during a presentation looks whether the presentation has ended.
constexpr ns::TimeInterval PresentationCheckDelay = 0.05;

struct Shared
{
    std::mutex mutex;
    ns::Ref<SHK> helper;
};

Shared& shared()
{
    static Shared* state = new Shared(); // the facade lives to the end of the process
    return *state;
}

// A composer's view has gone: unless it presents a screen of its own, the facade's screen was dismissed.
template <class Composer> void composerDidDisappear(Composer& composer, bool)
{
    if (!composer.presentedViewController())
        SHK::currentHelper()->viewWasDismissed();
}

std::string configurationText(std::string_view key)
{
    return SHKConfiguration::textValue(key).value_or(std::string());
}

} // namespace

void SHK::initializeClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        mui::MailComposeViewController::setDidDisappearHook(
            composerDidDisappear<mui::MailComposeViewController>);
        if (mui::MessageComposeViewController::isAvailable())
            mui::MessageComposeViewController::setDidDisappearHook(
                composerDidDisappear<mui::MessageComposeViewController>);
    });
}

ns::Ref<SHK> SHK::currentHelper()
{
    initializeClass();
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (!s.helper)
        s.helper = ns::Factory<SHK>::make();
    return s.helper;
}

void SHK::reset()
{
    Shared& s = shared();
    ns::Ref<SHK> helper;
    {
        std::lock_guard lock(s.mutex);
        helper = std::move(s.helper);
    }
    forgetSharersDictionary();
    if (helper)
        ns::RunLoop::main().cancelPerforms(helper.get());
}

void SHK::setRootViewController(const ns::Ref<ui::ViewController>& controller)
{
    currentHelper()->m_rootViewController = controller;
}

// Presentation

ns::Ref<ui::Window> SHK::applicationWindow()
{
    auto& application = ui::Application::sharedApplication();
    ns::Ref<ui::Window> window = application.keyWindow();
    if (window && window->windowLevel() != ui::WindowLevelNormal) {
        window = nullptr;
        for (const auto& candidate : application.windows())
            if (candidate->windowLevel() == ui::WindowLevelNormal) {
                window = candidate;
                break;
            }
    }
    return window;
}

ns::Ref<ui::ViewController> SHK::getCurrentRootViewController()
{
    if (auto root = m_rootViewController.lock())
        return root;
    if (auto window = applicationWindow()) {
        const auto& subviews = window->subviews();
        if (!subviews.empty())
            if (auto* controller = dynamic_cast<ui::ViewController*>(subviews.front()->nextResponder()))
                return controller->self<ui::ViewController>();
        if (window->rootViewController())
            return window->rootViewController();
    }
    NS_ASSERT(false, "ShareCore: Could not find a root view controller.  You can assign one manually by "
                     "calling [[SHK currentHelper] setRootViewController:YOURROOTVIEWCONTROLLER].");
    return nullptr;
}

ns::Ref<ui::ViewController> SHK::getTopViewController(const ns::Ref<ui::ViewController>& controller) const
{
    ns::Ref<ui::ViewController> top = controller;
    while (top && top->modalViewController())
        top = top->modalViewController();
    return top;
}

ns::Ref<ui::ViewController> SHK::rootViewForCustomUIDisplay()
{
    return getTopViewController(getCurrentRootViewController());
}

void SHK::showViewController(const ns::Ref<ui::ViewController>& controller)
{
    auto root = getCurrentRootViewController();
    m_currentRootViewController = root;
    auto top = getTopViewController(root);
    NS_ASSERT(top != nullptr, "ShareCore: There is no view controller to display from");

    if (m_currentView) {
        m_pendingView = controller;
        dismissForPendingView();
        return;
    }

    if (auto navigation = ns::cast<ui::NavigationController>(controller)) {
        present(top, navigation, controller);
        m_currentView = navigation;
    } else if (controller) {
        auto wrapper = ui::NavigationController::create(controller);
        present(top, wrapper, controller);
        m_currentView = wrapper;
    }
    m_pendingView.reset();
}

void SHK::dismissForPendingView()
{
    if (!m_currentView || !m_pendingView)
        return;
    // The platform refuses a dismissal while the screen is still coming up; asked then, it would be lost
    // and the waiting screen with it.
    if (m_currentView->isBeingPresented()) {
        ns::RunLoop::main().performAfterDelay(this, "dismissForPendingView", PresentationCheckDelay,
                                              [self = self<SHK>()] { self->dismissForPendingView(); });
        return;
    }
    // The shown screen goes first; the waiting one follows its report. A screen presented without a
    // parent (as on systems from 5.0) is dismissed through its presenter, or it would never go.
    ui::ViewController* dismisser = m_currentView->parentViewController();
    if (!dismisser)
        dismisser = m_currentView->presentingViewController();
    if (dismisser)
        dismisser->dismissModalViewControllerAnimated(true);
}

void SHK::present(const ns::Ref<ui::ViewController>& top, const ns::Ref<ui::NavigationController>& navigation,
                  const ns::Ref<ui::ViewController>& tintFor)
{
    navigation->setModalPresentationStyle(modalPresentationStyle());
    navigation->setModalTransitionStyle(modalTransitionStyle());
    top->presentModalViewController(navigation, true);
    ui::BarStyle style = barStyle();
    navigation->toolbar()->setBarStyle(style);
    navigation->navigationBar()->setBarStyle(style);
    auto tint = SHKConfiguration::sharedInstance()->configurationValue("barTintForView:", tintFor);
    if (auto colour = ns::cast<ui::Color>(tint))
        navigation->navigationBar()->setTintColor(colour);
}

void SHK::hideCurrentViewControllerAnimated(bool animated)
{
    if (m_isDismissingView || !m_currentView)
        return;
    // Asked while the screen is still coming up, the platform would refuse the dismissal and the facade
    // would wait for it for ever: hide once the screen is up.
    if (m_currentView->isBeingPresented()) {
        ns::RunLoop::main().performAfterDelay(
            this, "hideCurrentViewControllerAnimated", PresentationCheckDelay,
            [self = self<SHK>(), animated] { self->hideCurrentViewControllerAnimated(animated); });
        return;
    }
    if (auto* parent = m_currentView->parentViewController()) {
        m_isDismissingView = true;
        parent->dismissModalViewControllerAnimated(animated);
    } else if (auto* presenting = m_currentView->presentingViewController()) {
        m_isDismissingView = true;
        presenting->dismissViewControllerAnimated(animated, [] {
            ns::OperationQueue::mainQueue().addOperationWithBlock([] {
                ns::NotificationCenter::defaultCenter().postNotification(
                    SHKHideCurrentViewFinishedNotification);
            });
        });
    } else {
        m_currentView.reset();
    }
}

void SHK::viewWasDismissed()
{
    m_isDismissingView = false;
    m_currentView.reset();
    m_currentRootViewController.reset();
    if (m_pendingView)
        ns::RunLoop::main().performAfterDelay(this, "showPendingView", PendingViewDelay,
                                              [self = self<SHK>()] { self->showPendingView(); });
}

void SHK::forgetPendingView(const ui::ViewController& controller)
{
    if (m_pendingView.get() == &controller)
        m_pendingView.reset();
}

void SHK::showPendingView()
{
    if (auto pending = m_pendingView)
        showViewController(pending);
}

// The configuration's texts as the platform's values

ui::BarStyle SHK::barStyle()
{
    std::string text = configurationText("barStyle");
    if (text == "UIBarStyleBlack" || text == "UIBarStyleBlackOpaque")
        return ui::BarStyle::Black;
    if (text == "UIBarStyleBlackTranslucent")
        return ui::BarStyle::BlackTranslucent;
    return ui::BarStyle::Default;
}

ui::ModalPresentationStyle SHK::modalPresentationStyle()
{
    std::string text = configurationText("modalPresentationStyle");
    if (text == "UIModalPresentationFullScreen")
        return ui::ModalPresentationStyle::FullScreen;
    if (text == "UIModalPresentationPageSheet")
        return ui::ModalPresentationStyle::PageSheet;
    if (text == "UIModalPresentationFormSheet")
        return ui::ModalPresentationStyle::FormSheet;
    return ui::ModalPresentationStyle::CurrentContext;
}

ui::ModalTransitionStyle SHK::modalTransitionStyle()
{
    std::string text = configurationText("modalTransitionStyle");
    if (text == "UIModalTransitionStyleFlipHorizontal")
        return ui::ModalTransitionStyle::FlipHorizontal;
    if (text == "UIModalTransitionStyleCrossDissolve")
        return ui::ModalTransitionStyle::CrossDissolve;
    if (text == "UIModalTransitionStylePartialCurl")
        return ui::ModalTransitionStyle::PartialCurl;
    return ui::ModalTransitionStyle::CoverVertical;
}
