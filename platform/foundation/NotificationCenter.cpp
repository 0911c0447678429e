#include "foundation/NotificationCenter.h"

#include "foundation/Dictionary.h"

namespace ns {

NotificationCenter& NotificationCenter::defaultCenter()
{
    // Never destroyed: observers (views, controllers held by other process-wide objects) still leave it
    // while the process ends, in whatever order those objects go.
    static auto* center = new NotificationCenter();
    return *center;
}

void NotificationCenter::addObserver(const void* observer, std::string name, const void* object,
                                     Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_registrations.push_back(
        Registration{observer, std::move(name), object, std::make_shared<Handler>(std::move(handler))});
}

void NotificationCenter::removeObserver(const void* observer)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_registrations, [&](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, std::string_view name)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_registrations,
                  [&](const Registration& r) { return r.observer == observer && r.name == name; });
}

void NotificationCenter::postNotification(std::string name, Id object, Ref<Dictionary> userInfo)
{
    auto notification = make<Notification>(std::move(name), std::move(object), std::move(userInfo));
    std::vector<std::pair<const void*, std::shared_ptr<Handler>>> matching;
    {
        std::lock_guard lock(m_mutex);
        for (auto& r : m_registrations)
            if ((r.name.empty() || r.name == notification->name()) &&
                (!r.object || r.object == notification->object().get()))
                matching.emplace_back(r.observer, r.handler);
    }
    for (auto& [observer, handler] : matching) {
        // An observer removed by an earlier handler of this post is not called.
        bool stillThere = false;
        {
            std::lock_guard lock(m_mutex);
            for (auto& r : m_registrations)
                if (r.handler == handler) {
                    stillThere = true;
                    break;
                }
        }
        if (stillThere)
            (*handler)(*notification);
    }
}

NotificationRecorder::NotificationRecorder(std::string name)
{
    NotificationCenter::defaultCenter().addObserver(
        this, std::move(name), nullptr, [this](const Notification& n) {
            std::lock_guard lock(m_mutex);
            m_notifications.push_back(make<Notification>(n.name(), n.object(), n.userInfo()));
        });
}

NotificationRecorder::~NotificationRecorder()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

std::vector<Ref<Notification>> NotificationRecorder::notifications() const
{
    std::lock_guard lock(m_mutex);
    return m_notifications;
}

std::vector<std::string> NotificationRecorder::names() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (auto& n : m_notifications)
        out.push_back(n->name());
    return out;
}

} // namespace ns
