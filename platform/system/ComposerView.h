#pragma once

#include "uikit/View.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// The plain screen both composers show: a bar with Cancel and Send, the header lines, the body.
namespace mui {

ns::Ref<ui::View> makeComposerView(const std::string& title,
                                   const std::vector<std::pair<std::string, std::string>>& fields,
                                   const std::string& body, ns::Id target, std::function<void()> onCancel,
                                   std::function<void()> onSend);

} // namespace mui
