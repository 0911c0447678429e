#pragma once

#include "foundation/ClassRegistry.h"

// The class-level side of a sharer, registered with the sharer's class under its id: what the framework
// asks of a sharer class without an instance. Sharer classes answer with a subclass.
class SHKSharerClass : public rt::MetaObject
{
public:
    // Forgets what the sharer keeps of its service's sign-in.
    virtual void logout() const {}
};
