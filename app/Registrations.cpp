#include "Registrations.h"

#if defined(VELMO_HAVE_BOARD) && __has_include("board/VelmoAppDelegate.h")
#include "board/VelmoAppDelegate.h"
#define VELMO_REGISTER_BOARD 1
#endif

namespace velmo {

// Static libraries drop self-registering objects, so each library of the system is registered here by
// an explicit call.
void registerApplicationClasses()
{
#ifdef VELMO_REGISTER_BOARD
    registerBoardClasses();
#endif
}

} // namespace velmo
