#include "foundation/ClassRegistry.h"

#include <mutex>

namespace rt {

ClassRegistry& ClassRegistry::shared()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::registerClass(const std::string& name, Factory factory,
                                  std::shared_ptr<const MetaObject> meta)
{
    std::unique_lock lock(m_mutex);
    m_classes[name] = Entry{std::move(factory), std::move(meta)};
}

void ClassRegistry::unregisterClass(std::string_view name)
{
    std::unique_lock lock(m_mutex);
    auto found = m_classes.find(name);
    if (found != m_classes.end())
        m_classes.erase(found);
}

bool ClassRegistry::classExists(std::string_view name) const
{
    std::shared_lock lock(m_mutex);
    return m_classes.find(name) != m_classes.end();
}

ns::Id ClassRegistry::create(std::string_view name) const
{
    Factory factory;
    {
        std::shared_lock lock(m_mutex);
        auto found = m_classes.find(name);
        if (found == m_classes.end() || !found->second.factory)
            return nullptr;
        factory = found->second.factory;
    }
    return factory();
}

std::shared_ptr<const MetaObject> ClassRegistry::meta(std::string_view name) const
{
    std::shared_lock lock(m_mutex);
    auto found = m_classes.find(name);
    return found == m_classes.end() ? nullptr : found->second.meta;
}

std::vector<std::string> ClassRegistry::classNames() const
{
    std::shared_lock lock(m_mutex);
    std::vector<std::string> names;
    for (auto& [name, entry] : m_classes)
        names.push_back(name);
    return names;
}

} // namespace rt
