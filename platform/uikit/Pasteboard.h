#pragma once

#include "foundation/Object.h"
#include "uikit/Image.h"

#include <mutex>
#include <optional>
#include <string>

namespace ui {

// The general pasteboard: holds one item, a text or a picture; putting one replaces the other.
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

    std::string className() const override { return "UIPasteboard"; }

protected:
    Pasteboard() = default;
    friend ns::Factory<Pasteboard>;

private:
    mutable std::mutex m_mutex;
    std::optional<std::string> m_string;
    ns::Ref<Image> m_image;
    int m_changeCount = 0;
};

} // namespace ui
