#include "webservices/strictjson/StrictJSON.h"

StrictJSON::StrictJSON() : m_parser(ns::make<StrictJsonParser>()), m_writer(ns::make<StrictJsonWriter>())
{
    setMaxDepth(DefaultMaxDepth);
}

void StrictJSON::setMaxDepth(unsigned maxDepth)
{
    StrictJsonBase::setMaxDepth(maxDepth);
    m_parser->setMaxDepth(maxDepth);
    m_writer->setMaxDepth(maxDepth);
}

void StrictJSON::takeErrorTrace(const StrictJsonBase& from, ns::Ref<ns::Error>* error)
{
    const auto& trace = from.errorTrace();
    setErrorTrace(trace ? trace->mutableCopy() : nullptr);
    if (error)
        *error = errorTrace() ? ns::cast<ns::Error>(errorTrace()->lastObject()) : nullptr;
}

ns::Id StrictJSON::objectWithString(std::optional<std::string_view> text)
{
    return objectWithString(text, false, nullptr);
}

std::optional<std::string> StrictJSON::stringWithObject(const ns::Id& value)
{
    return stringWithObject(value, false, nullptr);
}

ns::Id StrictJSON::objectWithString(std::optional<std::string_view> text, ns::Ref<ns::Error>* error)
{
    return objectWithString(text, false, error);
}

ns::Id StrictJSON::fragmentWithString(std::optional<std::string_view> text, ns::Ref<ns::Error>* error)
{
    return objectWithString(text, true, error);
}

std::optional<std::string> StrictJSON::stringWithObject(const ns::Id& value, ns::Ref<ns::Error>* error)
{
    return stringWithObject(value, false, error);
}

std::optional<std::string> StrictJSON::stringWithFragment(const ns::Id& value, ns::Ref<ns::Error>* error)
{
    return stringWithObject(value, true, error);
}

ns::Id StrictJSON::objectWithString(std::optional<std::string_view> text, bool allowScalar,
                                    ns::Ref<ns::Error>* error)
{
    // A trace left from an earlier failure would describe a call that is over.
    clearErrorTrace();
    ns::Id value = allowScalar ? m_parser->fragmentWithString(text) : m_parser->objectWithString(text);
    if (!value)
        takeErrorTrace(*m_parser, error);
    return value;
}

std::optional<std::string> StrictJSON::stringWithObject(const ns::Id& value, bool allowScalar,
                                                        ns::Ref<ns::Error>* error)
{
    clearErrorTrace();
    auto json = allowScalar ? m_writer->stringWithFragment(value) : m_writer->stringWithObject(value);
    if (!json)
        takeErrorTrace(*m_writer, error);
    return json;
}
