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
    // Each error holds the one before it, so releasing the first one first would free the whole chain in
    // one deep cascade from the last; from the last one back, each release frees one error.
    if (m_errorTrace && m_errorTrace.use_count() == 1) {
        while (m_errorTrace->count())
            m_errorTrace->removeLastObject();
    }
    m_errorTrace.reset();
}

bool StrictJsonBase::enterContainer()
{
    if (++m_nesting > HardDepthLimit) {
        addErrorWithCode(StrictJsonErrorDepth, HardDepthMessage);
        return false;
    }
    // Without a limit the depth is not counted, so the writer's indent stays at the outer level.
    if (m_callMaxDepth && ++m_depth > m_callMaxDepth) {
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

bool StrictJsonBase::fail(long code, const char* description)
{
    addErrorWithCode(code, std::string(description));
    return false;
}
