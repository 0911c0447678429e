#pragma once

#include "foundation/Object.h"

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

// The object runtime's class lookup: classes creatable by name, and their class-level answers.
namespace rt {

// What a class answers without an instance (a sharer's title, the types it can share). Subclass it.
class MetaObject
{
public:
    virtual ~MetaObject() = default;
};

class ClassRegistry
{
public:
    using Factory = std::function<ns::Id()>;

    static ClassRegistry& shared();

    // A later registration of a name replaces the earlier one.
    void registerClass(const std::string& name, Factory factory,
                       std::shared_ptr<const MetaObject> meta = nullptr);
    // Instances come from the class's own create(), or from its public default constructor.
    template <class T>
    void registerClass(const std::string& name, std::shared_ptr<const MetaObject> meta = nullptr)
    {
        registerClass(
            name, [] { return std::static_pointer_cast<ns::Object>(makeInstance<T>()); }, std::move(meta));
    }
    // The class is gone, as a weakly linked class is on a device without it.
    void unregisterClass(std::string_view name);

    bool classExists(std::string_view name) const;
    // A new instance, or nothing for an unknown name.
    ns::Id create(std::string_view name) const;
    template <class T> ns::Ref<T> createAs(std::string_view name) const { return ns::cast<T>(create(name)); }
    // The class-level answers, or nothing.
    std::shared_ptr<const MetaObject> meta(std::string_view name) const;
    template <class M> std::shared_ptr<const M> metaAs(std::string_view name) const
    {
        return std::dynamic_pointer_cast<const M>(meta(name));
    }
    std::vector<std::string> classNames() const;

private:
    template <class T> static ns::Ref<T> makeInstance()
    {
        if constexpr (requires {
                          {
                              T::create()
                              } -> std::same_as<ns::Ref<T>>;
                      })
            return T::create();
        else
            return ns::make<T>();
    }

    struct Entry
    {
        Factory factory;
        std::shared_ptr<const MetaObject> meta;
    };
    mutable std::shared_mutex m_mutex;
    std::map<std::string, Entry, std::less<>> m_classes;
};

} // namespace rt
