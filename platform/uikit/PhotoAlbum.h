#pragma once

#include "foundation/Error.h"
#include "uikit/Image.h"

#include <functional>
#include <string>

namespace ui {

// The saved-photos album of the simulated device: Device/Photos/ in the sandbox, one "NNNN.png" a
// picture, numbered from 0001 upwards.
class PhotoAlbum
{
public:
    using Completion = std::function<void(const ns::Ref<Image>& image, const ns::Ref<ns::Error>& error)>;

    // Writes the picture (atomically) as the next NNNN.png and answers its path, or "" on failure. The
    // completion, when given, runs later on the main run loop with the error (nothing on success).
    static std::string writeImageToSavedPhotosAlbum(const ns::Ref<Image>& image, Completion completion = {});

    static std::string folder(); // home/Device/Photos
    // The album's files, oldest first.
    static std::vector<std::string> photoPaths();
};

} // namespace ui
