#pragma once

#include "webservices/strictjson/StrictJsonBase.h"
#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonProtocols.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#include "foundation/Error.h"

// The strict codec in one object: a parser and a writer of its own. After a failed call its error trace is
// a copy of the failing part's trace; after a call that succeeded it is empty.
class StrictJSON : public StrictJsonBase, public StrictJsonParserProtocol, public StrictJsonWriterProtocol
{
public:
    StrictJSON();

    ns::Id objectWithString(std::optional<std::string_view> text) override;
    std::optional<std::string> stringWithObject(const ns::Id& value) override;

    // The same, also handing back the outermost error of the trace through the error pointer (may be null).
    ns::Id objectWithString(std::optional<std::string_view> text, ns::Ref<ns::Error>* error);
    ns::Id fragmentWithString(std::optional<std::string_view> text, ns::Ref<ns::Error>* error);
    std::optional<std::string> stringWithObject(const ns::Id& value, ns::Ref<ns::Error>* error);
    std::optional<std::string> stringWithFragment(const ns::Id& value, ns::Ref<ns::Error>* error);
    // allowScalar picks the fragment form.
    ns::Id objectWithString(std::optional<std::string_view> text, bool allowScalar,
                            ns::Ref<ns::Error>* error);
    std::optional<std::string> stringWithObject(const ns::Id& value, bool allowScalar,
                                                ns::Ref<ns::Error>* error);

    // The parser's limit; setting it sets the writer's too.
    unsigned maxDepth() const override { return m_parser->maxDepth(); }
    void setMaxDepth(unsigned maxDepth) override;

    bool humanReadable() const override { return m_writer->humanReadable(); }
    void setHumanReadable(bool humanReadable) override { m_writer->setHumanReadable(humanReadable); }
    bool sortKeys() const override { return m_writer->sortKeys(); }
    void setSortKeys(bool sortKeys) override { m_writer->setSortKeys(sortKeys); }

    std::string className() const override { return "StrictJSON"; }

private:
    void takeErrorTrace(const StrictJsonBase& from, ns::Ref<ns::Error>* error);

    ns::Ref<StrictJsonParser> m_parser;
    ns::Ref<StrictJsonWriter> m_writer;
};
