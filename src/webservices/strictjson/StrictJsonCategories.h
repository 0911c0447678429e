#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

// One-call conveniences over a temporary strict parser or writer. On failure each logs the error trace and
// answers nothing.

// The JSON text of a dictionary or an array.
std::optional<std::string> JSONRepresentation(const ns::Id& object);
// The JSON text of any value the writer can write.
std::optional<std::string> JSONFragment(const ns::Id& object);
// The dictionary or array a JSON text holds.
ns::Id JSONValue(std::optional<std::string_view> text);
// Any value a JSON text holds.
ns::Id JSONFragmentValue(std::optional<std::string_view> text);
