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
// hiding post the keyboard notifications.
class Keyboard
{
public:
    static bool isVisible();
    // The keyboard's frame while shown: the bottom 216 points of the screen.
    static cg::Rect frame();
    static void show();
    static void hide();
    // Reads a frame value of the notifications' user info; nothing when absent or malformed.
    static std::optional<cg::Rect> frameFromUserInfo(const ns::Dictionary* userInfo, const char* key);
};

} // namespace ui
