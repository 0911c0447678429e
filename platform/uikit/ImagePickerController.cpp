#include "uikit/ImagePickerController.h"

#include "foundation/Dictionary.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableViewController.h"

#include <algorithm>
#include <filesystem>

namespace ui {
namespace {

bool isPhoto(const std::filesystem::path& path)
{
    std::string extension = ns::toLowerAscii(path.extension().string());
    return extension == ".png" || extension == ".jpg" || extension == ".jpeg";
}

// The list of photos inside the picker.
class PhotoList : public TableViewController
{
public:
    PhotoList() { setTitle("Photos"); }

    void setPicker(const ns::Ref<ImagePickerController>& picker) { m_picker = picker; }
    void refresh()
    {
        auto picker = m_picker.lock();
        m_paths = picker ? picker->photoPaths() : std::vector<std::string>{};
    }
    long tableViewNumberOfRowsInSection(TableView&, std::size_t) override
    {
        refresh();
        return long(m_paths.size());
    }
    ns::Ref<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table,
                                                          const ns::IndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("Photo");
        if (!cell)
            cell = TableViewCell::create(TableViewCellStyle::Default, "Photo");
        if (path.row() < m_paths.size())
            cell->textLabel()->setText(std::filesystem::path(m_paths[path.row()]).filename().string());
        return cell;
    }
    void tableViewDidSelectRowAtIndexPath(TableView&, const ns::IndexPath& path) override
    {
        auto picker = m_picker.lock();
        if (picker && path.row() < m_paths.size())
            picker->pickPhotoAtPath(m_paths[path.row()]);
    }

private:
    ns::Weak<ImagePickerController> m_picker; // the picker holds the list as its root
    std::vector<std::string> m_paths;
};

} // namespace

ImagePickerController::ImagePickerController() : NavigationController(ns::make<PhotoList>())
{
}

ns::Ref<ImagePickerController> ImagePickerController::create()
{
    auto picker = ns::Factory<ImagePickerController>::make();
    picker->connectNavigationBar();
    auto weak = picker->weakSelf<ImagePickerController>();
    auto list = picker->topViewController();
    std::static_pointer_cast<PhotoList>(list)->setPicker(picker);
    list->navigationItem()->setRightBarButtonItem(
        BarButtonItem::withSystemItem(BarButtonSystemItem::Cancel, nullptr, [weak](const ns::Id&) {
            if (auto picker = weak.lock())
                picker->cancel();
        }));
    return picker;
}

bool ImagePickerController::isSourceTypeAvailable(ImagePickerControllerSourceType type)
{
    return type != ImagePickerControllerSourceType::Camera;
}

std::vector<std::string> ImagePickerController::photoPaths() const
{
    std::vector<std::string> paths;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(ns::Sandbox::devicePath()) / "Photos";
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        if (it->is_regular_file(error) && isPhoto(it->path()))
            paths.push_back(it->path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool ImagePickerController::pickPhotoAtPath(const std::string& path)
{
    auto image = Image::imageWithContentsOfFile(path);
    if (!image)
        return false;
    auto keep = self<ImagePickerController>();
    auto info = ns::MutableDictionary::make();
    info->setObject(image, ImagePickerControllerOriginalImage);
    info->setObject(ns::String::make("public.image"), ImagePickerControllerMediaType);
    if (auto delegate = m_pickerDelegate.lock())
        delegate->imagePickerControllerDidFinishPickingMediaWithInfo(*this, *info);
    return true;
}

void ImagePickerController::cancel()
{
    auto keep = self<ImagePickerController>();
    if (auto delegate = m_pickerDelegate.lock())
        delegate->imagePickerControllerDidCancel(*this);
}

} // namespace ui
