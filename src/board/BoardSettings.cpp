#include "board/BoardSettings.h"

BoardSettings& BoardSettings::shared()
{
    static BoardSettings settings;
    return settings;
}
