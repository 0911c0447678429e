#include "foundation/Exception.h"

#include "foundation/Dictionary.h"
#include "foundation/Format.h"

namespace ns {

Exception::Exception(std::string name, std::string reason, Ref<Dictionary> userInfo)
    : m_name(std::move(name)), m_reason(std::move(reason)), m_userInfo(std::move(userInfo)),
      m_what(m_name + ": " + m_reason)
{
}

void Exception::setLocation(std::string file, int line)
{
    m_file = std::move(file);
    m_line = line;
}

void raise(const std::string& name, const std::string& reason, Ref<Dictionary> userInfo)
{
    throw Exception(name, reason, std::move(userInfo));
}

void assertionFailed(const char* file, int line, const std::string& description)
{
    std::string path = file;
    auto slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    Exception exception(InternalInconsistencyException, description);
    exception.setLocation(base, line);
    throw exception;
}

} // namespace ns
