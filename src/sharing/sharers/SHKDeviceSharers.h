#pragma once

// Registers the sharers that work on the device itself (print, log out, copy, mail, the browser, the
// photo album, text message, the device's tweet sheet) under their class names.
void SHKRegisterDeviceSharers();
