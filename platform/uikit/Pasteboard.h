#pragma once

#include "foundation/Object.h"
#include "uikit/Image.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace ui {

// The general pasteboard: holds one item, a text or a picture; putting one replaces the other. The device
// shows what it holds as Device/pasteboard.txt or Device/pasteboard.png, and a window that has a clipboard
// of its own is told each new text.
class Pasteboard : public ns::Object
{
public:
    static ns::Ref<Pasteboard> generalPasteboard();

    std::optional<std::string> string() const;
    void setString(std::optional<std::string> text); // nothing clears the pasteboard
    ns::Ref<Image> image() const;
    void setImage(ns::Ref<Image> image); // nothing clears the pasteboard
    // How many times the contents changed.
    int changeCount() const;
    void clear();

    // Told each text put on the pasteboard (on the putting thread); an empty function takes it away.
    using TextObserver = std::function<void(const std::string& text)>;
    static void setTextObserver(TextObserver observer);
    static std::string textPath();  // home/Device/pasteboard.txt
    static std::string imagePath(); // home/Device/pasteboard.png

    std::string className() const override { return "UIPasteboard"; }

protected:
    Pasteboard() = default;
    friend ns::Factory<Pasteboard>;

private:
    // Puts the device's copy in step with the contents.
    static void mirror(const std::optional<std::string>& text, const ns::Ref<Image>& image);

    mutable std::mutex m_mutex;
    std::optional<std::string> m_string;
    ns::Ref<Image> m_image;
    int m_changeCount = 0;
};

} // namespace ui
