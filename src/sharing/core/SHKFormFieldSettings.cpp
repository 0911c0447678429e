#include "sharing/core/SHKFormFieldSettings.h"

#include "foundation/Array.h"
#include "foundation/String.h"

#include <charconv>

std::vector<std::size_t> SHKOptionIndexesFromText(std::string_view text)
{
    std::vector<std::size_t> indexes;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t comma = text.find(',', begin);
        std::string_view piece =
            text.substr(begin, comma == std::string_view::npos ? std::string_view::npos : comma - begin);
        std::size_t index = 0;
        auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), index);
        if (!piece.empty() && error == std::errc() && end == piece.data() + piece.size())
            indexes.push_back(index);
        if (comma == std::string_view::npos)
            break;
        begin = comma + 1;
    }
    return indexes;
}

SHKFormFieldSettings::SHKFormFieldSettings(std::optional<std::string> label, std::optional<std::string> key,
                                           int type, std::optional<std::string> start,
                                           ns::Ref<ns::MutableDictionary> optionPickerInfo)
    : m_label(std::move(label)), m_key(std::move(key)), m_type(type), m_start(std::move(start)),
      m_optionPickerInfo(std::move(optionPickerInfo))
{
}

ns::Ref<SHKFormFieldSettings> SHKFormFieldSettings::label(std::optional<std::string> label,
                                                          std::optional<std::string> key, int type,
                                                          std::optional<std::string> start)
{
    return SHKFormFieldSettings::label(std::move(label), std::move(key), type, std::move(start), nullptr);
}

ns::Ref<SHKFormFieldSettings> SHKFormFieldSettings::label(std::optional<std::string> label,
                                                          std::optional<std::string> key, int type,
                                                          std::optional<std::string> start,
                                                          ns::Ref<ns::MutableDictionary> optionPickerInfo)
{
    return ns::Factory<SHKFormFieldSettings>::make(std::move(label), std::move(key), type, std::move(start),
                                                   std::move(optionPickerInfo));
}

std::string SHKFormFieldSettings::optionPickerValueForIndexes(std::string_view indexes) const
{
    if (indexes == "-1")
        return "-1";
    auto items =
        m_optionPickerInfo ? m_optionPickerInfo->objectAs<ns::Array>(SHKFormOptionItemsListKey) : nullptr;
    std::string joined;
    bool first = true;
    for (std::size_t index : SHKOptionIndexesFromText(indexes)) {
        if (!items || index >= items->count())
            continue;
        auto item = items->objectAtIndex(index);
        auto text = ns::cast<ns::String>(item);
        if (!first)
            joined += ",";
        joined += text ? text->str() : ns::describe(item);
        first = false;
    }
    return joined.empty() ? "-1" : joined;
}
