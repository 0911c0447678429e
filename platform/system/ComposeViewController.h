#pragma once

#include "foundation/Error.h"
#include "uikit/NavigationController.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// The device's mail and message composers. Each is a navigation controller whose one screen shows the
// header lines and the body under a bar with Cancel and Send; what the user sends is handed to the device
// as a file under Device/.
namespace mui {

// One line above the body: its name ("To:") and value, which the user may edit or only read.
struct ComposeHeaderLine
{
    std::string name;
    std::string value;
    bool editable = true;
};

class ComposeViewController : public ui::NavigationController
{
public:
    // Called once this composer's view has gone.
    std::function<void()> onDidDisappear;
    // Where the last message sent (or saved) went; empty before.
    const std::string& sentPath() const { return m_sentPath; }

    // The bar's two buttons.
    virtual void send() = 0;
    virtual void cancel() = 0;

    void viewDidDisappear(bool animated) override;

protected:
    ComposeViewController();
    // Run by every create(): the bar's back button, and Cancel and Send on the screen's bar.
    void setUpScreen();

    // What the screen shows when it first comes up.
    virtual std::vector<ComposeHeaderLine> headerLines() const = 0;
    virtual std::string bodyText() const = 0;
    // What the user left on the screen: each header line's value, in order, and the body. Only called
    // once the screen has been shown.
    virtual void takeEdits(const std::vector<std::string>& values, const std::string& body) = 0;
    // Hands what the screen shows now to takeEdits, when the screen was ever shown; the user's choices
    // run it before they write anything.
    void takeScreen();
    // The step that the class adds after every composer's did-disappear, when it has one.
    virtual void runClassStep(bool animated) = 0;

    // Writes `text` atomically as the next "NNNN.<extension>" of the device's `folder` and keeps its path.
    bool deliver(const std::string& folder, const std::string& extension, const std::string& text,
                 ns::Ref<ns::Error>* error);
    // The same at a path already chosen (for a message whose parts are named after it).
    bool deliverAt(const std::string& path, const std::string& text, ns::Ref<ns::Error>* error);
    // A composer with no delegate to tell closes itself.
    void closeUnheard() { dismissModalViewControllerAnimated(true); }

private:
    std::string m_sentPath;
};

// The addresses or numbers typed on a header line: separated by commas or semicolons, blanks around them
// ignored.
std::vector<std::string> recipientsOnLine(const std::string& line);

// The first free "NNNN.ext" in a folder of the device, from 0001; the folder is made when missing.
std::string nextDeviceFile(const std::string& folder, const std::string& extension);

} // namespace mui
