#include "webservices/strictjson/StrictJsonBase.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"

StrictJsonBase::StrictJsonBase() : m_maxDepth(DefaultMaxDepth)
{
}

void StrictJsonBase::addErrorWithCode(long code, const std::string& description)
{
    ns::Dictionary::Entries info;
    info.emplace_back(ns::String::make(ns::LocalizedDescriptionKey), ns::String::make(description));
    if (!m_errorTrace)
        m_errorTrace = ns::MutableArray::make();
    else if (auto previous = m_errorTrace->lastObject())
        info.emplace_back(ns::String::make(ns::UnderlyingErrorKey), previous);
    m_errorTrace->addObject(
        ns::Error::make(StrictJsonErrorDomain, code, ns::Dictionary::make(std::move(info))));
}

void StrictJsonBase::clearErrorTrace()
{
    m_errorTrace.reset();
}

bool StrictJsonBase::enterContainer()
{
    ++m_depth;
    unsigned limit = maxDepth();
    if ((limit && m_depth > limit) || m_depth > HardDepthLimit) {
        addErrorWithCode(StrictJsonErrorDepth, "Nested too deep");
        return false;
    }
    return true;
}

bool StrictJsonBase::fail(long code, const std::string& description)
{
    addErrorWithCode(code, description);
    return false;
}
