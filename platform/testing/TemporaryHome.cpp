#include "testing/TemporaryHome.h"

#include "foundation/Exception.h"
#include "foundation/Sandbox.h"
#include "foundation/UserDefaults.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace testkit {

TemporaryHome::TemporaryHome()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmo-home-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        ns::raise(ns::InternalInconsistencyException, "could not make a temporary home in " + pattern);
    m_path = buffer.data();
    ns::Sandbox::setHome(m_path);
    ns::UserDefaults::resetStandard();
}

TemporaryHome::~TemporaryHome()
{
    ns::UserDefaults::resetStandard();
    std::error_code ignored;
    // Make read-only folders a test left behind removable again.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        if (ignored)
            break;
    }
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace testkit
