#pragma once

#include "foundation/Object.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

class Dictionary;

class Notification : public Object
{
public:
    Notification(std::string name, Id object, Ref<Dictionary> userInfo)
        : m_name(std::move(name)), m_object(std::move(object)), m_userInfo(std::move(userInfo))
    {
    }

    const std::string& name() const { return m_name; }
    const Id& object() const { return m_object; }
    const Ref<Dictionary>& userInfo() const { return m_userInfo; }

    std::string className() const override { return "NSNotification"; }

private:
    std::string m_name;
    Id m_object;
    Ref<Dictionary> m_userInfo;
};

// Named broadcasts, delivered synchronously on the posting thread in the order observers were added.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // `observer` identifies the registration for removal. An empty name observes every notification; a
    // null `object` observes every sender.
    void addObserver(const void* observer, std::string name, const void* object, Handler handler);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, std::string_view name);

    void postNotification(std::string name, Id object = nullptr, Ref<Dictionary> userInfo = nullptr);

private:
    struct Registration
    {
        const void* observer;
        std::string name;
        const void* object;
        std::shared_ptr<Handler> handler;
    };
    std::mutex m_mutex;
    std::vector<Registration> m_registrations;
};

// Keeps every notification posted while it lives; for tests.
class NotificationRecorder
{
public:
    explicit NotificationRecorder(std::string name = {});
    ~NotificationRecorder();
    NotificationRecorder(const NotificationRecorder&) = delete;
    NotificationRecorder& operator=(const NotificationRecorder&) = delete;

    std::vector<Ref<Notification>> notifications() const;
    std::vector<std::string> names() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Ref<Notification>> m_notifications;
};

} // namespace ns
