#pragma once

#include <cstdint>

// The version of the user store's protocol that this client speaks, announced in its version check.
class EDAMUserStoreConstants
{
public:
    EDAMUserStoreConstants() = delete;

    static int16_t EDAM_VERSION_MAJOR() { return 1; }
    static int16_t EDAM_VERSION_MINOR() { return 16; }
};
