// Screens coming and going as a user sees them: modal transitions drawn on their way, touches on a screen
// on its way ignored, and a dismissal asked for meanwhile carried out when the screen has arrived.
#include "VelmoRun.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

} // namespace
