#include "foundation/Dictionary.h"
#include "foundation/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Touches everything it is given, so that a bad pointer or length shows.
class Reader : public ns::XMLParserDelegate
{
public:
    void parserDidStartElement(ns::XMLParser&, const std::string& name,
                               const std::optional<std::string>& space,
                               const std::optional<std::string>& qualified,
                               const ns::Ref<ns::Dictionary>& attributes) override
    {
        m_bytes += name.size() + (space ? space->size() : 0) + (qualified ? qualified->size() : 0);
        m_bytes += attributes->count();
        if (++m_elements == 5000)
            m_abort = true;
    }
    void parserFoundCharacters(ns::XMLParser& parser, const std::string& characters) override
    {
        m_bytes += characters.size();
        if (m_abort)
            parser.abortParsing();
    }
    void parserFoundCDATA(ns::XMLParser&, const ns::Ref<ns::Data>& block) override
    {
        m_bytes += block->length();
    }

    std::size_t m_bytes = 0;
    int m_elements = 0;
    bool m_abort = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (bool namespaces : {false, true}) {
        auto parser = ns::XMLParser::make(ns::Data::make(std::vector<uint8_t>(data, data + size)));
        auto reader = std::make_shared<Reader>();
        parser->setDelegate(reader);
        parser->setShouldProcessNamespaces(namespaces);
        bool parsed = parser->parse();
        if (!parsed && !parser->parserError())
            __builtin_trap(); // a failure always says why
    }
    return 0;
}
