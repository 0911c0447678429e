#include "board/RatingPrompt.h"

#include "board/BoardSettings.h"
#include "foundation/Bundle.h"
#include "foundation/Clock.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/Thread.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "foundation/UserDefaults.h"
#include "system/Reachability.h"
#include "uikit/Application.h"

namespace {

constexpr const char* CurrentVersionKey = "kRatingPromptCurrentVersion";
constexpr const char* FirstUseDateKey = "kRatingPromptFirstUseDate";
constexpr const char* UseCountKey = "kRatingPromptUseCount";
constexpr const char* SignificantEventCountKey = "kRatingPromptSignificantEventCount";
constexpr const char* RatedCurrentVersionKey = "kRatingPromptRatedCurrentVersion";
constexpr const char* DeclinedToRateKey = "kRatingPromptDeclinedToRate";
constexpr const char* ReminderRequestDateKey = "kRatingPromptReminderRequestDate";

constexpr double DaysUntilPrompt = 1296000; // 15 days
constexpr int64_t UsesUntilPrompt = 20;
constexpr int64_t SignificantEventsUntilPrompt = 0;
constexpr double TimeBeforeReminding = 86400; // a day

constexpr uint32_t TransientConnection = net::kSCNetworkReachabilityFlagsTransientConnection;
constexpr uint32_t Reachable = net::kSCNetworkReachabilityFlagsReachable;
constexpr uint32_t ConnectionRequired = net::kSCNetworkReachabilityFlagsConnectionRequired;

std::optional<uint32_t> zeroAddressFlags()
{
    auto reachability = net::Reachability::withAddress("0.0.0.0");
    net::ReachabilityFlags flags = 0;
    if (!reachability || !reachability->getFlags(&flags))
        return std::nullopt;
    return flags;
}

std::mutex g_classLock;
ns::Ref<RatingPrompt> g_instance;

std::mutex g_readerLock;
RatingPrompt::ReachabilityReader g_reader;

std::string bundleString(const char* key)
{
    auto value = ns::Bundle::main()->objectForInfoDictionaryKey(key);
    if (auto* text = ns::stringValue(value))
        return *text;
    return {};
}

double now()
{
    return ns::Clock::current().now();
}

// Ignores the probe's reply: only whether the connection could be made counts.
class ProbeDelegate : public ns::URLConnectionDelegate
{
};

} // namespace

void RatingPrompt::setReachabilityReader(ReachabilityReader reader)
{
    std::lock_guard lock(g_readerLock);
    g_reader = std::move(reader);
}

ns::Ref<RatingPrompt> RatingPrompt::sharedInstance()
{
    std::lock_guard lock(g_classLock);
    if (!g_instance) {
        g_instance = ns::Factory<RatingPrompt>::make();
        ns::NotificationCenter::defaultCenter().addObserver(
            &g_instance, ui::ApplicationWillResignActiveNotification, nullptr,
            [](const ns::Notification&) { RatingPrompt::appWillResignActive(); });
    }
    return g_instance;
}

void RatingPrompt::appLaunched()
{
    appLaunched(true);
}

void RatingPrompt::appLaunched(bool canPromptForRating)
{
    auto prompt = sharedInstance();
    ns::Thread::detach([prompt, canPromptForRating] { prompt->incrementAndRate(canPromptForRating); });
}

void RatingPrompt::appEnteredForeground(bool canPromptForRating)
{
    appLaunched(canPromptForRating);
}

void RatingPrompt::userDidSignificantEvent(bool canPromptForRating)
{
    auto prompt = sharedInstance();
    ns::Thread::detach(
        [prompt, canPromptForRating] { prompt->incrementSignificantEventAndRate(canPromptForRating); });
}

void RatingPrompt::appWillResignActive()
{
    sharedInstance()->hideRatingAlert();
}

ns::Ref<ui::AlertView> RatingPrompt::ratingAlert() const
{
    std::lock_guard lock(m_mutex);
    return m_ratingAlert;
}

void RatingPrompt::setRatingAlert(ns::Ref<ui::AlertView> alert)
{
    std::lock_guard lock(m_mutex);
    m_ratingAlert = std::move(alert);
}

void RatingPrompt::increment(bool significantEvent)
{
    auto defaults = ns::UserDefaults::standard();
    std::string version = bundleString("CFBundleVersion");
    auto tracked = defaults->stringForKey(CurrentVersionKey);
    if (!tracked) {
        defaults->setObject(ns::String::make(version), CurrentVersionKey);
        tracked = version;
    }
    if (*tracked == version) {
        if (defaults->doubleForKey(FirstUseDateKey) == 0)
            defaults->setDouble(now(), FirstUseDateKey);
        const char* key = significantEvent ? SignificantEventCountKey : UseCountKey;
        defaults->setInteger(defaults->integerForKey(key) + 1, key);
    } else {
        defaults->setObject(ns::String::make(version), CurrentVersionKey);
        defaults->setDouble(significantEvent ? 0 : now(), FirstUseDateKey);
        defaults->setInteger(significantEvent ? 0 : 1, UseCountKey);
        defaults->setInteger(significantEvent ? 1 : 0, SignificantEventCountKey);
        defaults->setBool(false, RatedCurrentVersionKey);
        defaults->setBool(false, DeclinedToRateKey);
        defaults->setDouble(0, ReminderRequestDateKey);
    }
    defaults->synchronize();
}

void RatingPrompt::incrementUseCount()
{
    increment(false);
}

void RatingPrompt::incrementSignificantEventCount()
{
    increment(true);
}

bool RatingPrompt::ratingConditionsHaveBeenMet() const
{
    auto defaults = ns::UserDefaults::standard();
    double time = now();
    if (time - defaults->doubleForKey(FirstUseDateKey) < DaysUntilPrompt)
        return false;
    if (defaults->integerForKey(UseCountKey) <= UsesUntilPrompt)
        return false;
    if (defaults->integerForKey(SignificantEventCountKey) < SignificantEventsUntilPrompt)
        return false;
    if (defaults->boolForKey(DeclinedToRateKey))
        return false;
    if (defaults->boolForKey(RatedCurrentVersionKey))
        return false;
    if (time - defaults->doubleForKey(ReminderRequestDateKey) < TimeBeforeReminding)
        return false;
    return true;
}

void RatingPrompt::incrementAndRate(bool canPromptForRating)
{
    incrementUseCount();
    if (canPromptForRating && ratingConditionsHaveBeenMet() && connectedToNetwork()) {
        auto prompt = self<RatingPrompt>();
        ns::performOnMainThread([prompt] { prompt->showRatingAlert(); }, false);
    }
}

void RatingPrompt::incrementSignificantEventAndRate(bool canPromptForRating)
{
    incrementSignificantEventCount();
    if (canPromptForRating && ratingConditionsHaveBeenMet() && connectedToNetwork()) {
        auto prompt = self<RatingPrompt>();
        ns::performOnMainThread([prompt] { prompt->showRatingAlert(); }, false);
    }
}

bool RatingPrompt::connectedToNetwork()
{
    ReachabilityReader reader;
    {
        std::lock_guard lock(g_readerLock);
        reader = g_reader;
    }
    std::optional<uint32_t> flags = reader ? reader() : zeroAddressFlags();
    if (!flags) {
        ns::log("Error. Could not recover network reachability flags");
        return false;
    }
    // The probe is started on this counting thread, whose loop never runs: only whether a connection
    // could be made counts, and the thread never waits for it.
    auto url = ns::URL::withString(BoardSettings::shared().probePage);
    auto request =
        url ? ns::URLRequest::requestWithURL(url, ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                                             BoardSettings::shared().probeTimeout)
            : nullptr;
    auto connection =
        request ? ns::URLConnection::connectionWithRequest(request, ns::make<ProbeDelegate>()) : nullptr;
    if (connection)
        connection->cancel();
    bool reachable = (*flags & Reachable) && !(*flags & ConnectionRequired);
    bool transient = *flags & TransientConnection;
    return connection != nullptr && (reachable || transient);
}

void RatingPrompt::showRatingAlert()
{
    std::string name = bundleString("CFBundleName");
    auto alert = ui::AlertView::create(
        ns::format("Rate %@", name),
        ns::format(
            "If you enjoy using %@, would you mind taking a moment to rate it? It won't take more than a "
            "minute. Thanks for your support!",
            name),
        std::static_pointer_cast<ui::AlertViewDelegate>(self<RatingPrompt>()), std::string("No, Thanks"),
        std::vector<std::string>{ns::format("Rate %@", name), "Remind me later"});
    setRatingAlert(alert);
    alert->show();
}

void RatingPrompt::hideRatingAlert()
{
    auto alert = ratingAlert();
    if (alert && alert->isVisible())
        alert->dismissWithClickedButtonIndex(-1, false);
}

void RatingPrompt::alertViewClickedButtonAtIndex(ui::AlertView&, long index)
{
    auto defaults = ns::UserDefaults::standard();
    switch (index) {
    case 0:
        defaults->setBool(true, DeclinedToRateKey);
        defaults->synchronize();
        break;
    case 1:
        rateApp();
        break;
    case 2:
        defaults->setDouble(now(), ReminderRequestDateKey);
        defaults->synchronize();
        break;
    default:
        break;
    }
}

std::string RatingPrompt::reviewPageAddress()
{
    const auto& settings = BoardSettings::shared();
    std::string templ = "itms-apps://" + settings.storeHost +
                        "/WebObjects/MZStore.woa/wa/viewContentsUserReviews?type=Purple+Software&id=APP_ID";
    return ns::replaceAll(templ, "APP_ID", ns::format("%d", settings.storeIdentifier));
}

void RatingPrompt::rateApp()
{
    auto defaults = ns::UserDefaults::standard();
    defaults->setBool(true, RatedCurrentVersionKey);
    defaults->synchronize();
    ui::Application::sharedApplication().openURL(reviewPageAddress());
}
