#pragma once

#include <string_view>

namespace ns {

// Compares texts with runs of digits taken as numbers ("10.0" comes after "4.2", "4.1.2" before "4.2"),
// as version numbers compare: -1, 0 or 1. Other characters compare by their byte values.
int compareNumeric(std::string_view a, std::string_view b);

} // namespace ns
