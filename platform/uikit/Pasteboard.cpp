#include "uikit/Pasteboard.h"

#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"

namespace ui {
namespace {

std::mutex& observerMutex()
{
    static std::mutex mutex;
    return mutex;
}

Pasteboard::TextObserver& textObserver()
{
    static Pasteboard::TextObserver observer;
    return observer;
}

} // namespace

void Pasteboard::setTextObserver(TextObserver observer)
{
    std::lock_guard lock(observerMutex());
    textObserver() = std::move(observer);
}

std::string Pasteboard::textPath()
{
    return ns::Sandbox::devicePath() + "/pasteboard.txt";
}

std::string Pasteboard::imagePath()
{
    return ns::Sandbox::devicePath() + "/pasteboard.png";
}

void Pasteboard::mirror(const std::optional<std::string>& text, const ns::Ref<Image>& image)
{
    ns::FileManager::createDirectoryAtPath(ns::Sandbox::devicePath(), true);
    if (text)
        ns::FileManager::writeAtomically(textPath(), *text);
    else
        ns::FileManager::removeItemAtPath(textPath());
    auto png = image ? ImagePNGRepresentation(image) : nullptr;
    if (png)
        ns::FileManager::writeAtomically(imagePath(), *png);
    else
        ns::FileManager::removeItemAtPath(imagePath());
    if (text) {
        TextObserver observer;
        {
            std::lock_guard lock(observerMutex());
            observer = textObserver();
        }
        if (observer)
            observer(*text);
    }
}

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
    {
        std::lock_guard lock(m_mutex);
        m_string = text;
        m_image = nullptr;
        ++m_changeCount;
    }
    mirror(text, nullptr);
}

ns::Ref<Image> Pasteboard::image() const
{
    std::lock_guard lock(m_mutex);
    return m_image;
}

void Pasteboard::setImage(ns::Ref<Image> image)
{
    {
        std::lock_guard lock(m_mutex);
        m_image = image;
        m_string.reset();
        ++m_changeCount;
    }
    mirror(std::nullopt, image);
}

int Pasteboard::changeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_changeCount;
}

void Pasteboard::clear()
{
    {
        std::lock_guard lock(m_mutex);
        m_string.reset();
        m_image = nullptr;
        ++m_changeCount;
    }
    mirror(std::nullopt, nullptr);
}

} // namespace ui
