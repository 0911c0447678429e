#include "foundation/Error.h"

#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/String.h"

namespace ns {

Error::Error(std::string domain, long code, Ref<Dictionary> userInfo)
    : m_domain(std::move(domain)), m_code(code),
      m_userInfo(userInfo ? std::move(userInfo) : Dictionary::make())
{
}

Ref<Error> Error::make(std::string domain, long code, Ref<Dictionary> userInfo)
{
    return std::make_shared<Error>(std::move(domain), code, std::move(userInfo));
}

Ref<Error> Error::withDescription(std::string domain, long code, const std::string& localizedDescription)
{
    return make(std::move(domain), code,
                Dictionary::withStrings({{LocalizedDescriptionKey, String::make(localizedDescription)}}));
}

std::string Error::localizedDescription() const
{
    if (auto text = m_userInfo->stringForKey(LocalizedDescriptionKey))
        return *text;
    return format("The operation couldn\xe2\x80\x99t be completed. (%s error %ld.)", m_domain, m_code);
}

Ref<Error> Error::underlyingError() const
{
    return m_userInfo->objectAs<Error>(UnderlyingErrorKey);
}

std::string Error::description() const
{
    std::string out = format("Error Domain=%s Code=%ld \"%s\"", m_domain, m_code, localizedDescription());
    if (m_userInfo->count())
        out += " UserInfo=" + m_userInfo->description();
    return out;
}

bool Error::isEqual(const Object& other) const
{
    auto* error = dynamic_cast<const Error*>(&other);
    return error && error->m_domain == m_domain && error->m_code == m_code &&
           error->m_userInfo->isEqual(*m_userInfo);
}

} // namespace ns
