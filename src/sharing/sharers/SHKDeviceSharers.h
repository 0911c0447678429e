#pragma once

// Registers the sharers that work on the device itself (print, log out, copy, mail, the browser, the
// photo album, text message) under their class names.
void SHKRegisterDeviceSharers();
