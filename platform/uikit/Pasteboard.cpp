#include "uikit/Pasteboard.h"

namespace ui {

ns::Ref<Pasteboard> Pasteboard::generalPasteboard()
{
    static const ns::Ref<Pasteboard> pasteboard = ns::Factory<Pasteboard>::make();
    return pasteboard;
}

std::optional<std::string> Pasteboard::string() const
{
    std::lock_guard lock(m_mutex);
    return m_string;
}

void Pasteboard::setString(std::optional<std::string> text)
{
    std::lock_guard lock(m_mutex);
    m_string = std::move(text);
    m_image = nullptr;
    ++m_changeCount;
}

ns::Ref<Image> Pasteboard::image() const
{
    std::lock_guard lock(m_mutex);
    return m_image;
}

void Pasteboard::setImage(ns::Ref<Image> image)
{
    std::lock_guard lock(m_mutex);
    m_image = std::move(image);
    m_string.reset();
    ++m_changeCount;
}

int Pasteboard::changeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_changeCount;
}

void Pasteboard::clear()
{
    std::lock_guard lock(m_mutex);
    m_string.reset();
    m_image = nullptr;
    ++m_changeCount;
}

} // namespace ui
