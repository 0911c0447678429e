#pragma once

#include "uikit/Action.h"
#include "uikit/NavigationController.h"

#include <string>
#include <vector>

namespace ns {
class Dictionary;
}

namespace ui {

class ImagePickerController;

enum class ImagePickerControllerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

inline constexpr const char* ImagePickerControllerOriginalImage = "UIImagePickerControllerOriginalImage";
inline constexpr const char* ImagePickerControllerMediaType = "UIImagePickerControllerMediaType";
inline constexpr const char* ImagePickerControllerMediaURL = "UIImagePickerControllerMediaURL";

class ImagePickerControllerDelegate
{
public:
    virtual ~ImagePickerControllerDelegate() = default;
    // imagePickerController:didFinishPickingMediaWithInfo:
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController&,
                                                                    const ns::Dictionary&)
    {
    }
    virtual void imagePickerControllerDidCancel(ImagePickerController&) {}
};

// Picks a photo of the device's library (the PNG and JPEG files in Device/Photos/ of the home), one row
// a file, with a Cancel button. The device has no camera.
class ImagePickerController : public NavigationController
{
public:
    static ns::Ref<ImagePickerController> create();

    static bool isSourceTypeAvailable(ImagePickerControllerSourceType type);
    ImagePickerControllerSourceType sourceType() const { return m_sourceType; }
    void setSourceType(ImagePickerControllerSourceType type) { m_sourceType = type; }
    bool allowsEditing() const { return m_allowsEditing; }
    void setAllowsEditing(bool allows) { m_allowsEditing = allows; }
    ns::Ref<ImagePickerControllerDelegate> pickerDelegate() const { return m_pickerDelegate.lock(); }
    void setPickerDelegate(const ns::Ref<ImagePickerControllerDelegate>& delegate)
    {
        m_pickerDelegate = delegate;
    }

    // The photo files offered, sorted by name (full paths).
    std::vector<std::string> photoPaths() const;
    // Picks the photo at the path as a person's tap does; false when it cannot be read.
    bool pickPhotoAtPath(const std::string& path);
    void cancel();

    std::string className() const override { return "UIImagePickerController"; }

protected:
    ImagePickerController();
    friend ns::Factory<ImagePickerController>;

private:
    ImagePickerControllerSourceType m_sourceType = ImagePickerControllerSourceType::PhotoLibrary;
    bool m_allowsEditing = false;
    ns::Weak<ImagePickerControllerDelegate> m_pickerDelegate;
};

} // namespace ui
