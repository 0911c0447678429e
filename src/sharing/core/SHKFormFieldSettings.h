#pragma once

#include "foundation/Dictionary.h"
#include "foundation/Object.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The kinds of form row; the type is an integer, and a row of any other value shows no control.
enum SHKFormFieldType : int {
    SHKFormFieldTypeText = 0,
    // User names: no capitalisation and no correction.
    SHKFormFieldTypeTextNoCorrect = 1,
    // Passwords: secure entry, no capitalisation and no correction.
    SHKFormFieldTypePassword = 2,
    // An on/off switch whose value reads "1" or "0".
    SHKFormFieldTypeSwitch = 3,
    // A row that opens an option list and shows the chosen option(s).
    SHKFormFieldTypeOptionPicker = 4,
};

// Keys of an option row's option-list description.
inline constexpr const char* SHKFormOptionTitleKey = "title";
inline constexpr const char* SHKFormOptionItemsListKey = "itemsList";
inline constexpr const char* SHKFormOptionCurIndexesKey = "curIndexes";
inline constexpr const char* SHKFormOptionStaticKey = "static";
inline constexpr const char* SHKFormOptionAllowMultipleKey = "allowMultiple";
inline constexpr const char* SHKFormOptionProviderKey = "SHKFormOptionControllerOptionProvider";

// The chosen indexes of a "curIndexes" text: the decimal numbers separated by ",", in their order. "-1"
// (nothing chosen) and pieces that are not whole non-negative numbers give nothing, so "10" holds 10 and
// never 1.
std::vector<std::size_t> SHKOptionIndexesFromText(std::string_view text);

// One row of a form: its caption, the key of its value, its type, the value it starts with (for an option
// row, the text shown while nothing is chosen) and, for an option row, its option-list description.
class SHKFormFieldSettings : public ns::Object
{
public:
    static ns::Ref<SHKFormFieldSettings> label(std::optional<std::string> label,
                                               std::optional<std::string> key, int type,
                                               std::optional<std::string> start);
    static ns::Ref<SHKFormFieldSettings> label(std::optional<std::string> label,
                                               std::optional<std::string> key, int type,
                                               std::optional<std::string> start,
                                               ns::Ref<ns::MutableDictionary> optionPickerInfo);

    const std::optional<std::string>& label() const { return m_label; }
    void setLabel(std::optional<std::string> label) { m_label = std::move(label); }
    const std::optional<std::string>& key() const { return m_key; }
    void setKey(std::optional<std::string> key) { m_key = std::move(key); }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    const std::optional<std::string>& start() const { return m_start; }
    void setStart(std::optional<std::string> start) { m_start = std::move(start); }
    const ns::Ref<ns::MutableDictionary>& optionPickerInfo() const { return m_optionPickerInfo; }
    void setOptionPickerInfo(ns::Ref<ns::MutableDictionary> info) { m_optionPickerInfo = std::move(info); }

    // The text of the options chosen by a "curIndexes" text: "-1" for "-1"; otherwise the texts of
    // "itemsList" at the listed indexes, in the listed order, joined by ","; "-1" when that comes out
    // empty. Indexes beyond the list (a fetched list that has not arrived) are passed over.
    std::string optionPickerValueForIndexes(std::string_view indexes) const;

    std::string className() const override { return "SHKFormFieldSettings"; }

protected:
    SHKFormFieldSettings(std::optional<std::string> label, std::optional<std::string> key, int type,
                         std::optional<std::string> start, ns::Ref<ns::MutableDictionary> optionPickerInfo);
    friend ns::Factory<SHKFormFieldSettings>;

private:
    std::optional<std::string> m_label;
    std::optional<std::string> m_key;
    std::atomic<int> m_type;
    std::optional<std::string> m_start;
    ns::Ref<ns::MutableDictionary> m_optionPickerInfo;
};
