#pragma once

#include "foundation/ClassRegistry.h"
#include "foundation/Object.h"
#include "sharing/core/SHKItem.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class SHKFormFieldSettings;

// The class-level side of a sharer, registered with the sharer's class under its class name: what the
// framework asks of a sharer class without an instance (whom the share screens offer, whether a share
// needs the network or a sign-in, the login form's rows). A sharer class answers differently with a
// subclass, which it registers with registerSharer.
class SHKSharerClass : public virtual rt::MetaObject
{
public:
    // Registers the sharer class T under `name` with a new Meta as its class-level answers. Instances
    // come from T::create().
    template <class T, class Meta = SHKSharerClass> static void registerSharer(const std::string& name)
    {
        registerSharer<T>(name, std::make_shared<Meta>());
    }
    // The same with the class-level answers given.
    template <class T>
    static void registerSharer(const std::string& name, std::shared_ptr<SHKSharerClass> meta)
    {
        meta->setClassName(name);
        rt::ClassRegistry::shared().registerClass<T>(name, std::move(meta));
    }
    // The class-level answers of the class registered under the name; nothing for an unknown name or a
    // class that is not a sharer.
    static std::shared_ptr<const SHKSharerClass> named(std::string_view name);

    // The name the class is registered under.
    const std::string& className() const { return m_className; }
    void setClassName(std::string name) { m_className = std::move(name); }

    // The title shown for the sharer (already looked up); the base has none.
    virtual std::string sharerTitle() const { return std::string(); }
    // What names the sharer in favourites, the offline queue, user defaults and keychain services: the
    // class name.
    virtual std::string sharerId() const { return m_className; }

    virtual bool canShareURL() const { return false; }
    virtual bool canShareText() const { return false; }
    virtual bool canShareImage() const { return false; }
    virtual bool canShareFile() const { return false; }
    virtual bool canGetUserInfo() const { return false; }
    virtual bool shareRequiresInternetConnection() const { return true; }
    virtual bool canShareOffline() const { return true; }
    virtual bool requiresAuthentication() const { return true; }
    virtual bool canAutoShare() const { return true; }
    // Whether the sharer is offered at all on this device.
    virtual bool canShare() const { return true; }
    // The query of the type: URL, text, image, file or account information; NO for any other number.
    bool canShareType(int type) const;

    // The login form's rows: "Username" ("username", plain text) and "Password" ("password", secure).
    virtual std::vector<ns::Ref<SHKFormFieldSettings>> authorizationFormFields() const;
    // The login form's footer; the base has none.
    virtual std::optional<std::string> authorizationFormCaption() const { return std::nullopt; }
    // Forgets the sharer's sign-in: the base removes the stored value of every login row's key.
    virtual void logout() const;
    // Whether a new sharer of the class is authorised. Lives with the sharer base (velmo_sharing), since
    // it makes an instance.
    bool isServiceAuthorized() const;

private:
    std::string m_className;
};
