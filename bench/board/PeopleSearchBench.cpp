// The people list's search, one keystroke at a time, over a generated address book of 10,000 people
// (14,000 numbers): names folded once when the list is built, against the same search folding every name
// with ICU at each keystroke.
#include "board/KPhoneNumber.h"
#include "board/PeopleListViewController.h"
#include "board/VelmoAppDelegate.h"
#include "foundation/Array.h"
#include "foundation/Clock.h"
#include "foundation/Unicode.h"
#include "kit/Comparisons.h"
#include "testing/TemporaryHome.h"
#include "uikit/Application.h"
#include "uikit/Image.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int People = 10000;

// What a person types, a keystroke at a time: every prefix of these words.
const char* const Typed[] = {"anna", "berg", "öz", "jose", "ma"};

std::vector<std::string> keystrokes()
{
    std::vector<std::string> texts;
    for (const char* word : Typed) {
        std::string text = word;
        for (std::size_t length = 1; length <= text.size(); ++length) {
            // A keystroke adds a whole character, never half of one.
            if (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
                continue;
            texts.push_back(text.substr(0, length));
        }
    }
    return texts;
}

// Names from syllables, some with accents and some capitalised oddly; one person in five has no first
// name, one in fifty is only an organisation; two people in five have a second number.
ns::Ref<ns::Array> addressBook()
{
    const char* syllables[] = {"an", "na", "ber", "g",   "ö",  "zt", "ür", "k",   "jo", "sé",    "ma", "rí",
                               "lu", "cy", "dvo", "řák", "ha", "le", "em", "ile", "Å",  "ström", "ki", "to"};
    const char* labels[] = {"mobile", "iPhone", "work", "home"};
    std::mt19937 random(19);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    auto name = [&] {
        std::string text;
        for (std::size_t parts = 2 + pick(2); parts > 0; --parts)
            text += syllables[pick(std::size(syllables))];
        text[0] = static_cast<char>(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 'a' + 'A' : text[0]);
        return text;
    };
    std::vector<ns::Id> entries;
    for (int person = 0; person < People; ++person) {
        std::optional<std::string> first = pick(5) ? std::optional<std::string>(name()) : std::nullopt;
        std::optional<std::string> last = name();
        std::optional<std::string> organization;
        if (pick(50) == 0) {
            first.reset();
            last.reset();
            organization = name() + " & Co";
        }
        int numbers = pick(5) < 2 ? 2 : 1;
        for (int position = 0; position < numbers; ++position) {
            auto entry = KPhoneNumber::create();
            entry->setFirstName(first);
            entry->setLastName(last);
            entry->setOrganization(organization);
            entry->setType(std::string(labels[pick(std::size(labels))]));
            entry->setPhone("+46 70 " + std::to_string(1000000 + person) + std::to_string(position));
            entry->setPosition(position);
            entries.push_back(entry);
        }
    }
    return ns::Array::make(entries);
}

struct Setup
{
    Setup()
    {
        ui::Image::setResourcePath(VELMO_RESOURCES);
        app = VelmoAppDelegate::create();
        ui::Application::sharedApplication().setDelegate(app);
        app->setAllContact(addressBook());
        list = PeopleListViewController::create(ui::TableViewStyle::Grouped);
        list->setSelectedIndex(-1);
        list->view(); // loads the entries, as opening the list does
    }
    testkit::TemporaryHome home;
    ns::ManualClockScope clock;
    ns::Ref<VelmoAppDelegate> app;
    ns::Ref<PeopleListViewController> list;
    const std::vector<std::string> texts = keystrokes();
    std::vector<ns::Ref<KPhoneNumber>> refolded;
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// The search as it was: every name folded with ICU again at each keystroke.
void refoldingSearch(Setup& s, const std::string& text)
{
    s.refolded.clear();
    for (const auto& entry : s.list->entries())
        if (ns::containsIgnoringCaseAndDiacritics(entry->compositeName(), text))
            s.refolded.push_back(entry);
    s.list->RebuildIndex(s.refolded);
}

// Both searches must find the same people for every keystroke, in the same order.
bool sameResults(Setup& s)
{
    for (const auto& text : s.texts) {
        s.list->filterEntriesForSearchText(text);
        std::vector<ns::Ref<KPhoneNumber>> ours = s.list->currentEntries();
        refoldingSearch(s, text);
        if (ours != s.refolded)
            return false;
    }
    return true;
}

void Folded(benchmark::State& state)
{
    auto& s = setup();
    static const bool same = sameResults(s);
    if (!same) {
        state.SkipWithError("the folded search finds other people");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        s.list->filterEntriesForSearchText(s.texts[next]);
        benchmark::DoNotOptimize(s.list->currentEntries().size());
        next = (next + 1) % s.texts.size();
    }
    state.counters["entries"] = double(s.list->entries().size());
}

void Refolding(benchmark::State& state)
{
    auto& s = setup();
    std::size_t next = 0;
    for (auto _ : state) {
        refoldingSearch(s, s.texts[next]);
        benchmark::DoNotOptimize(s.refolded.size());
        next = (next + 1) % s.texts.size();
    }
    state.counters["entries"] = double(s.list->entries().size());
}

BENCHMARK(Folded)->Name("keystroke/folded once")->Unit(benchmark::kMillisecond);
BENCHMARK(Refolding)->Name("keystroke/refolding")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchkit::runComparisons(argc, argv,
                                    {{"filter 10,000 people per keystroke, vs refolding each name",
                                      "keystroke/folded once", "keystroke/refolding"}});
}
