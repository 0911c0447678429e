#pragma once

namespace velmo {

// Registers every class the application creates by name: each library of the system has one
// registration function, called from here at start-up.
void registerApplicationClasses();

} // namespace velmo
