#pragma once

#include "foundation/Object.h"

namespace ns {
class Error;
}
class SHKSharer;

// Registers the sharers that work on the device itself (print, log out, copy, mail, the browser, the
// photo album, text message, the device's tweet sheet) under their class names.
void SHKRegisterDeviceSharers();

// Reports the failure of a device sharer. These sharers are quiet, so the default delegate would show
// nothing: the user gets an alert titled with the sharer's title, saying what went wrong (the error's
// text, else "There was an error while sharing", which is then the reported error), with the button
// "Close".
void SHKDeviceSharerFailed(SHKSharer& sharer, const ns::Ref<ns::Error>& error = nullptr);
