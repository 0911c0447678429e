// Random "main.xml" files loaded into a board, which then saves itself.
#include "board/VelmoViewController.h"
#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "testing/TemporaryHome.h"
#include "uikit/Application.h"
#include "uikit/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static testkit::TemporaryHome home;
    static ns::ManualClockScope clock;
    static ns::LogCapture quiet;
    static bool once = [] {
        ui::Image::setResourcePath(VELMO_RESOURCES);
        return true;
    }();
    (void)once;
    quiet.clear();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!ns::FileManager::writeAtomically(VelmoViewController::boardFilePath(), text))
        return 0;
    ui::Application::sharedApplication().reset();
    auto board = VelmoViewController::create();
    board->view();
    board->saveXML(nullptr);
    // An unreadable file is set aside under a new name each time: clear them, or the folder fills up.
    std::string documents = ns::Sandbox::documentsPath();
    for (const auto& name :
         ns::FileManager::contentsOfDirectoryAtPath(documents).value_or(std::vector<std::string>{}))
        if (name.rfind("main.xml.unreadable", 0) == 0)
            ns::FileManager::removeItemAtPath(documents + "/" + name);
    return 0;
}
