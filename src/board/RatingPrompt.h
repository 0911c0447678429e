#pragma once

#include "foundation/Object.h"
#include "uikit/AlertView.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

// Asks the user to rate the application once it has been used long and often enough, and opens the store's
// review page. Counts per application version in the user defaults, on a thread of its own.
class RatingPrompt : public ns::Object, public ui::AlertViewDelegate
{
public:
    static void appLaunched();
    static void appLaunched(bool canPromptForRating);
    static void appEnteredForeground(bool canPromptForRating);
    static void userDidSignificantEvent(bool canPromptForRating);
    static void appWillResignActive();
    static void rateApp();
    static ns::Ref<RatingPrompt> sharedInstance();

    void incrementAndRate(bool canPromptForRating);
    void incrementSignificantEventAndRate(bool canPromptForRating);
    void hideRatingAlert();
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, long index) override;

    bool connectedToNetwork();
    void showRatingAlert();
    bool ratingConditionsHaveBeenMet() const;
    void incrementUseCount();
    void incrementSignificantEventCount();

    ns::Ref<ui::AlertView> ratingAlert() const;
    void setRatingAlert(ns::Ref<ui::AlertView> alert);

    // The reachability flags of the zero address, or nothing when they cannot be read. The device's by
    // default; tests set their own.
    using ReachabilityReader = std::function<std::optional<uint32_t>()>;
    static void setReachabilityReader(ReachabilityReader reader);
    static std::string reviewPageAddress();

    std::string className() const override { return "RatingPrompt"; }

protected:
    RatingPrompt() = default;
    friend ns::Factory<RatingPrompt>;

private:
    void increment(bool significantEvent);

    mutable std::mutex m_mutex;
    ns::Ref<ui::AlertView> m_ratingAlert;
};
