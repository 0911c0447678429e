// The board's work on a board of 999 tiles: parse the file, print it pretty, and find tiles with XPath,
// through the document model and through libxml2 directly. Prints the model's overhead.
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"

#include "foundation/Format.h"

#include <benchmark/benchmark.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr const char* Query = "/floor/floor[type='tel' and id mod 7 = 0]";

ns::Ref<DDXMLElement> tile(int index)
{
    auto floor = DDXMLNode::elementWithName("floor");
    floor->addChild(DDXMLNode::elementWithName("background", ns::format("image%03d.png", index % 1000)));
    floor->addChild(DDXMLNode::elementWithName("type", index % 3 ? "tel" : "sms"));
    floor->addChild(DDXMLNode::elementWithName(
        "parameters", ns::format("tel:+33 1 23 45 %02d %02d", index / 100, index % 100)));
    floor->addChild(DDXMLNode::elementWithName("title", ns::format("Contact %d & co", index)));
    floor->addChild(DDXMLNode::elementWithName("id", ns::format("%d", index)));
    auto center = DDXMLNode::elementWithName("center");
    center->addAttributeWithName("x", ns::format("%f", 40.0 + index % 4 * 80));
    center->addAttributeWithName("y", ns::format("%f", 45.0 + index / 4 * 90));
    floor->addChild(center);
    auto badge = DDXMLNode::elementWithName("badge");
    badge->addAttributeWithName("string", "mobile");
    badge->addAttributeWithName("color", "1.000000,0.800000,0.039216,1.000000");
    floor->addChild(badge);
    auto size = DDXMLNode::elementWithName("size");
    size->addAttributeWithName("width", "90.000000");
    size->addAttributeWithName("height", "90.000000");
    floor->addChild(size);
    auto transform = DDXMLNode::elementWithName("transform");
    for (const char* name : {"a", "b", "c", "d", "tx", "ty"})
        transform->addAttributeWithName(name, name[0] == 'a' || name[0] == 'd' ? "1.000000" : "0.000000");
    floor->addChild(transform);
    return floor;
}

const std::string& boardText()
{
    static const std::string text = [] {
        auto root = tile(0);
        for (int i = 1; i < 999; ++i)
            root->addChild(tile(i));
        return root->XMLStringWithOptions(DDXMLNodePrettyPrint);
    }();
    return text;
}

void WrapperParsePrintQuery(benchmark::State& state)
{
    const std::string& text = boardText();
    for (auto _ : state) {
        ns::Ref<ns::Error> error;
        auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
        auto root = document->rootElement();
        std::string out = root->XMLStringWithOptions(DDXMLNodePrettyPrint);
        auto found = root->nodesForXPath(Query, &error);
        benchmark::DoNotOptimize(out.size() + found->count());
    }
}

void Libxml2ParsePrintQuery(benchmark::State& state)
{
    const std::string& text = boardText();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                      XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NODICT);
        xmlNodePtr root = xmlDocGetRootElement(doc);
        xmlSaveNoEmptyTags = 1;
        xmlIndentTreeOutput = 1;
        xmlBufferPtr buffer = xmlBufferCreate();
        xmlNodeDump(buffer, doc, root, 0, 1);
        std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
        xmlBufferFree(buffer);
        xmlXPathContextPtr context = xmlXPathNewContext(doc);
        context->node = root;
        xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(Query), context);
        std::size_t count =
            result && result->nodesetval ? static_cast<std::size_t>(result->nodesetval->nodeNr) : 0;
        xmlXPathFreeObject(result);
        xmlXPathFreeContext(context);
        xmlFreeDoc(doc);
        benchmark::DoNotOptimize(out.size() + count);
    }
}

BENCHMARK(WrapperParsePrintQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(Libxml2ParsePrintQuery)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_times[run.benchmark_name()] = run.GetAdjustedCPUTime(); // CPU time: the machine is shared
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const
    {
        auto found = m_times.find(name);
        return found == m_times.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double wrapper = reporter.time("WrapperParsePrintQuery");
    double direct = reporter.time("Libxml2ParsePrintQuery");
    if (wrapper > 0 && direct > 0)
        std::printf("document model / libxml2: %.3f (overhead %+.1f%%, goal at most +15%%)\n",
                    wrapper / direct, (wrapper / direct - 1) * 100);
    benchmark::Shutdown();
    return 0;
}
