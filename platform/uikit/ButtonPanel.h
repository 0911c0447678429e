#pragma once

#include "uikit/View.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Button;
class OverlayWindow;

// The buttons of an alert or an action sheet: their titles in index order, the cancel and destructive
// indexes, and, while the panel shows, one button view each inside the owning view, which rises in an
// overlay window of its own.
class ButtonPanel
{
public:
    long addButtonWithTitle(std::string title);
    long numberOfButtons() const { return long(m_titles.size()); }
    std::optional<std::string> buttonTitleAtIndex(long index) const;
    const std::string& title(long index) const { return m_titles[std::size_t(index)]; }
    long cancelButtonIndex() const { return m_cancelButtonIndex; }
    void setCancelButtonIndex(long index) { m_cancelButtonIndex = index; }
    long destructiveButtonIndex() const { return m_destructiveButtonIndex; }
    void setDestructiveButtonIndex(long index) { m_destructiveButtonIndex = index; }
    // The first button that is neither the cancel nor the destructive one, or -1.
    long firstOtherButtonIndex() const;

    bool isVisible() const { return m_visible; }
    // Makes a button view for each title inside `owner`, shaped by `style`, each reporting its tap with
    // its index, then shows `owner` in an overlay window at the alert level.
    void show(const ns::Ref<View>& owner, const std::function<void(long index, Button& button)>& style,
              std::function<void(long index)> onTap);
    // Takes the button views and the overlay away again.
    void hide(View& owner);

    // The button's view while the panel shows.
    ns::Ref<Button> buttonViewAtIndex(long index) const;
    std::size_t buttonViewCount() const { return m_buttons.size(); }
    const ns::Ref<Button>& buttonView(std::size_t index) const { return m_buttons[index]; }

private:
    std::vector<std::string> m_titles;
    long m_cancelButtonIndex = -1;
    long m_destructiveButtonIndex = -1;
    bool m_visible = false;
    // The overlay shows the owner as its subview and the screen's list of overlays keeps it while it shows:
    // a strong reference back would make a cycle that outlives the overlay.
    ns::Weak<OverlayWindow> m_window;
    std::vector<ns::Ref<Button>> m_buttons;
};

} // namespace ui
