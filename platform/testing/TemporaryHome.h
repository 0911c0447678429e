#pragma once

#include <string>

namespace testkit {

// A fresh sandbox home for one test: a new temporary folder becomes the home, the standard user defaults
// start over, and the folder with everything in it goes away at the end.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::string& path() const { return m_path; }
    // A path inside the home.
    std::string file(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

} // namespace testkit
