#pragma once

#include "sharing/ui/SHKFormControllerLargeTextField.h"

// The check-in message composer: the framework's text composer with only a "Check In" button.
class SHKFoursquareV2CheckInForm : public SHKCustomFormControllerLargeTextField
{
public:
    static ns::Ref<SHKFoursquareV2CheckInForm>
    create(const ns::Ref<SHKFormControllerLargeTextFieldDelegate>& delegate)
    {
        return ns::Factory<SHKFoursquareV2CheckInForm>::make(delegate);
    }

    // A done-style "Check In" on the right that saves the form; no other button.
    void setupBarButtonItems() override;

    std::string className() const override { return "SHKFoursquareV2CheckInForm"; }

protected:
    using SHKCustomFormControllerLargeTextField::SHKCustomFormControllerLargeTextField;
    friend ns::Factory<SHKFoursquareV2CheckInForm>;
};
