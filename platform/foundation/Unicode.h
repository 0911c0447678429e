#pragma once

#include "foundation/Array.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Unicode-aware text operations over ICU. Positions and lengths are UTF-16 units.
namespace ns {

enum SearchOptions : unsigned {
    CaseInsensitiveSearch = 1,
    AnchoredSearch = 8,
    DiacriticInsensitiveSearch = 128,
};

struct TextRange
{
    std::size_t location;
    std::size_t length;
};

std::string lowercase(std::string_view text); // full Unicode case mapping, locale-independent
std::string uppercase(std::string_view text);

// Where the needle occurs, or {NotFound, 0}; an empty needle is never found. Case-insensitive search
// compares case folds; diacritic-insensitive search ignores combining marks after decomposition, so "ANN"
// is found in "Ånnå".
TextRange rangeOfString(std::string_view text, std::string_view needle, unsigned options = 0);
bool containsIgnoringCaseAndDiacritics(std::string_view text, std::string_view needle);

// The text as the case- and diacritic-blind search compares it. Folding a text that is searched again and
// again once, and comparing the folds, gives the answers of containsIgnoringCaseAndDiacritics without
// asking ICU each time: containsFolded(foldForSearch(t), foldForSearch(n)) == containsIgnoringCase...(t, n).
std::u16string foldForSearch(std::string_view text);
bool containsFolded(std::u16string_view foldedText, std::u16string_view foldedNeedle);
bool hasPrefixIgnoringCase(std::string_view text, std::string_view prefix);

// Case-insensitive order of case folds in code-point order: -1, 0 or 1.
int caseInsensitiveCompare(std::string_view a, std::string_view b);

// The upper-case base letter of the text's first character for a section index ("é" gives "E"), or "#"
// when the text does not start with a letter.
std::string indexLetter(std::string_view text);

// Locale-aware ordering of names for sorting people and titles.
class Collator
{
public:
    explicit Collator(const std::string& locale = "en");
    ~Collator();
    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    int compare(std::string_view a, std::string_view b) const; // -1, 0 or 1

    // One shared collator for the process's locale (English rules); safe to use from any thread.
    static const Collator& shared();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The platform's localized comparison of two texts, through the shared collator.
int localizedCompare(std::string_view a, std::string_view b);

} // namespace ns
