#include "foundation/Unicode.h"

#include "foundation/CHandle.h"
#include "foundation/Text.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <vector>

namespace ns {
namespace {

const UChar* units(const std::u16string& text)
{
    return reinterpret_cast<const UChar*>(text.data());
}

int32_t length32(std::size_t size)
{
    return size > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

template <class Mapping> std::string mapCase(std::string_view text, Mapping mapping)
{
    std::u16string source = toUtf16(text);
    std::u16string out(source.size() + 8, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t size = mapping(reinterpret_cast<UChar*>(out.data()), length32(out.size()), units(source),
                               length32(source.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR && attempt == 0) {
            out.assign(static_cast<std::size_t>(size), u'\0');
            continue;
        }
        if (U_FAILURE(status))
            return std::string(text);
        out.resize(static_cast<std::size_t>(size));
        return fromUtf16(out);
    }
    return std::string(text);
}

// A text reduced for comparison, with the position in the original of every unit it holds.
struct Folded
{
    std::u16string units;
    std::vector<std::size_t> start; // original position of the character each unit came from
    std::vector<std::size_t> end;
};

// Without `positions`, only the units are kept.
Folded fold(std::string_view text, unsigned options, bool positions = true)
{
    const bool caseless = options & CaseInsensitiveSearch;
    const bool markless = options & DiacriticInsensitiveSearch;
    std::u16string source = toUtf16(text);
    Folded folded;
    folded.units.reserve(source.size());
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    if (U_FAILURE(status))
        nfd = nullptr;

    const int32_t total = length32(source.size());
    int32_t i = 0;
    UChar decomposed[32];
    UChar piece[64];
    while (i < total) {
        const int32_t from = i;
        UChar32 c;
        U16_NEXT(units(source), i, total, c);
        UChar original[2];
        int32_t originalLength = 0;
        U16_APPEND_UNSAFE(original, originalLength, c);

        const UChar* current = original;
        int32_t currentLength = originalLength;
        if (nfd) {
            UErrorCode local = U_ZERO_ERROR;
            int32_t size = unorm2_normalize(nfd, original, originalLength, decomposed, 32, &local);
            if (U_SUCCESS(local)) {
                current = decomposed;
                currentLength = size;
            }
        }
        UChar stripped[32];
        int32_t strippedLength = 0;
        for (int32_t k = 0; k < currentLength;) {
            UChar32 d;
            U16_NEXT(current, k, currentLength, d);
            if (markless && u_charType(d) == U_NON_SPACING_MARK)
                continue;
            U16_APPEND_UNSAFE(stripped, strippedLength, d);
        }
        const UChar* result = stripped;
        int32_t resultLength = strippedLength;
        if (caseless && strippedLength > 0) {
            UErrorCode local = U_ZERO_ERROR;
            int32_t size = u_strFoldCase(piece, 64, stripped, strippedLength, U_FOLD_CASE_DEFAULT, &local);
            if (U_SUCCESS(local)) {
                result = piece;
                resultLength = size;
            }
        }
        for (int32_t k = 0; k < resultLength; ++k) {
            folded.units.push_back(static_cast<char16_t>(result[k]));
            if (positions) {
                folded.start.push_back(static_cast<std::size_t>(from));
                folded.end.push_back(static_cast<std::size_t>(i));
            }
        }
    }
    return folded;
}

} // namespace

std::string lowercase(std::string_view text)
{
    return mapCase(text,
                   [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
                       return u_strToLower(dest, capacity, src, length, "", status);
                   });
}

std::string uppercase(std::string_view text)
{
    return mapCase(text,
                   [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
                       return u_strToUpper(dest, capacity, src, length, "", status);
                   });
}

TextRange rangeOfString(std::string_view text, std::string_view needle, unsigned options)
{
    const TextRange none{NotFound, 0};
    if (needle.empty() || text.empty())
        return none;
    Folded haystack = fold(text, options);
    Folded wanted = fold(needle, options);
    if (wanted.units.empty() || haystack.units.size() < wanted.units.size())
        return none;
    std::u16string_view view(haystack.units);
    std::size_t at = (options & AnchoredSearch)
                         ? (view.substr(0, wanted.units.size()) == wanted.units ? 0 : NotFound)
                         : view.find(wanted.units);
    if (at == std::u16string_view::npos || at == NotFound)
        return none;
    std::size_t start = haystack.start[at];
    std::size_t end = haystack.end[at + wanted.units.size() - 1];
    return {start, end - start};
}

bool containsIgnoringCaseAndDiacritics(std::string_view text, std::string_view needle)
{
    return rangeOfString(text, needle, CaseInsensitiveSearch | DiacriticInsensitiveSearch).location !=
           NotFound;
}

std::u16string foldForSearch(std::string_view text)
{
    return fold(text, CaseInsensitiveSearch | DiacriticInsensitiveSearch, false).units;
}

bool containsFolded(std::u16string_view foldedText, std::u16string_view foldedNeedle)
{
    // A needle that folds to nothing (only marks) is found nowhere, as in rangeOfString.
    return !foldedNeedle.empty() && foldedText.find(foldedNeedle) != std::u16string_view::npos;
}

bool hasPrefixIgnoringCase(std::string_view text, std::string_view prefix)
{
    return rangeOfString(text, prefix, CaseInsensitiveSearch | AnchoredSearch).location != NotFound;
}

int caseInsensitiveCompare(std::string_view a, std::string_view b)
{
    std::u16string left = toUtf16(a);
    std::u16string right = toUtf16(b);
    UErrorCode status = U_ZERO_ERROR;
    int32_t order = u_strCaseCompare(units(left), length32(left.size()), units(right), length32(right.size()),
                                     U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    if (U_FAILURE(status))
        order = left.compare(right);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::string indexLetter(std::string_view text)
{
    std::u16string source = toUtf16(text);
    if (source.empty())
        return "#";
    int32_t i = 0;
    UChar32 c;
    U16_NEXT(units(source), i, length32(source.size()), c);
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    if (U_SUCCESS(status)) {
        UChar original[2];
        int32_t length = 0;
        U16_APPEND_UNSAFE(original, length, c);
        UChar decomposed[32];
        int32_t size = unorm2_normalize(nfd, original, length, decomposed, 32, &status);
        if (U_SUCCESS(status) && size > 0) {
            int32_t k = 0;
            U16_NEXT(decomposed, k, size, c);
        }
    }
    if (!u_isalpha(c))
        return "#";
    std::string out;
    appendUtf8(out, static_cast<char32_t>(u_toupper(c)));
    return out;
}

struct Collator::Impl
{
    CHandle<UCollator, ucol_close> collator;
};

Collator::Collator(const std::string& locale) : m_impl(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    m_impl->collator.reset(ucol_open(locale.c_str(), &status));
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        m_impl->collator.reset(ucol_open("", &status));
        if (U_FAILURE(status))
            m_impl->collator.reset();
    }
}

Collator::~Collator() = default;

int Collator::compare(std::string_view a, std::string_view b) const
{
    if (m_impl->collator) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult result = ucol_strcollUTF8(m_impl->collator.get(), a.data(), length32(a.size()),
                                                   b.data(), length32(b.size()), &status);
        if (U_SUCCESS(status))
            return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
    }
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

const Collator& Collator::shared()
{
    static const Collator collator("en");
    return collator;
}

int localizedCompare(std::string_view a, std::string_view b)
{
    return Collator::shared().compare(a, b);
}

} // namespace ns
