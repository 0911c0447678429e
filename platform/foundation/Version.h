#pragma once

#include <string_view>

namespace ns {

// Compares texts with runs of digits taken as numbers ("10.0" comes after "4.2", "4.1.2" before "4.2"),
// as version numbers compare: -1, 0 or 1. Other characters compare by their byte values.
int compareNumeric(std::string_view a, std::string_view b);

// The version number of the device's core foundation library: 550.52 on system 4.2 (the device's
// default), 478.52 on 3.1.3, which has no form sheets. Settable, from any thread.
inline constexpr double CoreFoundationVersionNumber_iPhoneOS_4_2 = 550.52;
double coreFoundationVersionNumber();
void setCoreFoundationVersionNumber(double number);

} // namespace ns
