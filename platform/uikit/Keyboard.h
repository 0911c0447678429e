#pragma once

#include "graphics/Geometry.h"

#include <optional>

namespace ns {
class Dictionary;
}

namespace ui {

inline constexpr const char* KeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr const char* KeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline constexpr const char* KeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr const char* KeyboardDidHideNotification = "UIKeyboardDidHideNotification";
// The frames are texts "{{x, y}, {w, h}}" in screen coordinates; the duration a number of seconds.
inline constexpr const char* KeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline constexpr const char* KeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr const char* KeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";

// The on-screen keyboard: shown while something that takes text is the first responder. Showing and
// hiding post the keyboard notifications. It stands at the bottom of the interface, so its frames, given
// in the screen's coordinates, turn with the status bar's orientation.
class Keyboard
{
public:
    static constexpr float portraitHeight = 216;
    static constexpr float landscapeHeight = 162;

    static bool isVisible();
    // The keyboard's frame while shown: the bottom 216 points of the screen upright, the top 216 upside
    // down, the right 162 in landscape left and the left 162 in landscape right.
    static cg::Rect frame();
    // Where it slides from and to: just beyond the interface's bottom edge.
    static cg::Rect hiddenFrame();
    static void show();
    static void hide();
    // The interface has turned: a keyboard on screen goes down from its old place and comes up at its new
    // one, with both pairs of notifications.
    static void interfaceOrientationDidChange();
    // Reads a frame value of the notifications' user info; nothing when absent or malformed.
    static std::optional<cg::Rect> frameFromUserInfo(const ns::Dictionary* userInfo, const char* key);
};

} // namespace ui
