#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace ns {

// One argument of ns::format, with what it was so that each conversion can be checked against it.
struct FormatArg
{
    enum class Kind { Signed, Unsigned, Double, Text, Object, Pointer };
    Kind kind;
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0;
    std::string_view text;
    bool isNullText = false;
    const Object* object = nullptr;
    const void* pointer = nullptr;
};

template <class T> struct IsObjectRef : std::false_type
{
};
template <class T> struct IsObjectRef<std::shared_ptr<T>> : std::is_base_of<Object, std::remove_cv_t<T>>
{
};

template <class T> FormatArg toFormatArg(const T& value)
{
    using U = std::decay_t<T>;
    FormatArg arg{};
    if constexpr (std::is_array_v<T>) {
        arg.kind = FormatArg::Kind::Text;
        arg.text = std::string_view(value);
    } else if constexpr (std::is_same_v<U, bool>) {
        arg.kind = FormatArg::Kind::Signed;
        arg.i = value ? 1 : 0;
    } else if constexpr (std::is_same_v<U, char16_t> || std::is_same_v<U, char32_t>) {
        arg.kind = FormatArg::Kind::Unsigned;
        arg.u = static_cast<uint64_t>(value);
    } else if constexpr (std::is_enum_v<U>) {
        arg.kind = FormatArg::Kind::Signed;
        arg.i = static_cast<int64_t>(value);
    } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
        arg.kind = FormatArg::Kind::Signed;
        arg.i = value;
    } else if constexpr (std::is_integral_v<U>) {
        arg.kind = FormatArg::Kind::Unsigned;
        arg.u = value;
    } else if constexpr (std::is_floating_point_v<U>) {
        arg.kind = FormatArg::Kind::Double;
        arg.d = static_cast<double>(value);
    } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
        arg.kind = FormatArg::Kind::Text;
        arg.text = value;
    } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
        arg.kind = FormatArg::Kind::Text;
        arg.isNullText = value == nullptr;
        arg.text = value ? std::string_view(value) : std::string_view();
    } else if constexpr (std::is_same_v<U, std::optional<std::string>>) {
        arg.kind = FormatArg::Kind::Text;
        arg.isNullText = !value.has_value();
        arg.text = value ? std::string_view(*value) : std::string_view();
    } else if constexpr (std::is_same_v<U, std::nullptr_t>) {
        arg.kind = FormatArg::Kind::Object;
    } else if constexpr (IsObjectRef<U>::value) {
        arg.kind = FormatArg::Kind::Object;
        arg.object = value.get();
    } else if constexpr (std::is_base_of_v<Object, U>) {
        arg.kind = FormatArg::Kind::Object;
        arg.object = &value;
    } else if constexpr (std::is_pointer_v<U>) {
        arg.kind = FormatArg::Kind::Pointer;
        arg.pointer = static_cast<const void*>(value);
    } else {
        static_assert(sizeof(U) == 0, "ns::format: unsupported argument type");
    }
    return arg;
}

std::string formatArgs(std::string_view format, const FormatArg* args, std::size_t count);

// The one formatter: printf conversions checked against their arguments, "%@" for an object's description
// (or a text as it is), numbers always with a point whatever the locale. A mismatch between a conversion
// and its argument, or a missing argument, raises the invalid-argument exception.
template <class... Args> std::string format(std::string_view fmt, const Args&... args)
{
    if constexpr (sizeof...(Args) == 0) {
        return formatArgs(fmt, nullptr, 0);
    } else {
        const FormatArg converted[] = {toFormatArg(args)...};
        return formatArgs(fmt, converted, sizeof...(Args));
    }
}

} // namespace ns
