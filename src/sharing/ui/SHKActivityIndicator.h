#pragma once

#include "uikit/View.h"

#include <optional>
#include <string>

namespace ui {
class ActivityIndicatorView;
class Label;
} // namespace ui

// The one progress overlay of the process: a half-transparent black square of 160 by 160 points in the
// middle of the key window, showing a spinner or a large check mark with a message under it. It takes no
// touches, so the screen below stays usable, and it turns with the device so that its text stays
// upright.
class SHKActivityIndicator : public ui::View
{
public:
    // The overlay, made on first use (hidden, centred in the key window of that moment) and kept.
    static ns::Ref<SHKActivityIndicator> currentIndicator();
    // Forgets the overlay, as a new process would; for tests.
    static void reset();
    ~SHKActivityIndicator() override;

    // A spinner with the message under it.
    void displayActivity(const std::string& message);
    // A check mark with the message under it, hiding by itself 0.6 s later.
    void displayCompleted(const std::string& message);

    // On the key window, fading in.
    void show();
    // Fades out, then leaves the window unless shown again meanwhile.
    void hide();
    void hideAfterDelay();
    // Stays: cancels a pending hide and comes back to full opacity quickly.
    void persist();
    // The end of the fade out.
    void hidden();

    void setCenterMessage(const std::optional<std::string>& message);
    void setSubMessage(const std::optional<std::string>& message);
    void showSpinner();
    void hideSpinner();

    // Turns with the status bar's orientation (the device-orientation notification's target).
    void setProperRotation();
    void setProperRotation(bool animated);

    const ns::Ref<ui::Label>& centerMessageLabel() const { return m_centerMessageLabel; }
    void setCenterMessageLabel(ns::Ref<ui::Label> label) { m_centerMessageLabel = std::move(label); }
    const ns::Ref<ui::Label>& subMessageLabel() const { return m_subMessageLabel; }
    void setSubMessageLabel(ns::Ref<ui::Label> label) { m_subMessageLabel = std::move(label); }
    const ns::Ref<ui::ActivityIndicatorView>& spinner() const { return m_spinner; }
    void setSpinner(ns::Ref<ui::ActivityIndicatorView> spinner) { m_spinner = std::move(spinner); }

    std::string className() const override { return "SHKActivityIndicator"; }

protected:
    explicit SHKActivityIndicator(cg::Rect frame);
    friend ns::Factory<SHKActivityIndicator>;

private:
    ns::Ref<ui::Label> makeLabel(cg::Rect frame, float fontSize);

    ns::Ref<ui::Label> m_centerMessageLabel;
    ns::Ref<ui::Label> m_subMessageLabel;
    ns::Ref<ui::ActivityIndicatorView> m_spinner;
};
