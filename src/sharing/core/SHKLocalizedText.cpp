#include "sharing/core/SHKLocalizedText.h"

#include "foundation/Bundle.h"

#include <mutex>

namespace {

struct TextBundle
{
    std::mutex mutex;
    bool opened = false;
    ns::Ref<ns::Bundle> bundle;
};

TextBundle& textBundle()
{
    static TextBundle shared;
    return shared;
}

} // namespace

std::string SHKLookupLocalizedText(std::string_view key)
{
    // Opened on first use and kept for the life of the process; without the bundle every text stays in
    // English.
    ns::Ref<ns::Bundle> bundle;
    {
        TextBundle& shared = textBundle();
        std::lock_guard lock(shared.mutex);
        if (!shared.opened) {
            shared.bundle = ns::Bundle::withPath(ns::Bundle::main()->resourcePath() + "/ShareCore.bundle");
            shared.opened = true;
        }
        bundle = shared.bundle;
    }
    if (!bundle)
        return std::string(key);
    return bundle->localizedString(key, key);
}

void SHKForgetLocalizedTextBundle()
{
    TextBundle& shared = textBundle();
    std::lock_guard lock(shared.mutex);
    shared.opened = false;
    shared.bundle = nullptr;
}
