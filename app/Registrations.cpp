#include "Registrations.h"

namespace velmo {

// The system's libraries join here as they are built (static libraries drop self-registering objects,
// so each is registered by an explicit call).
void registerApplicationClasses()
{
}

} // namespace velmo
