#include "foundation/Format.h"

#include "foundation/Ascii.h"
#include "foundation/Exception.h"
#include "foundation/Text.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace ns {
namespace {

constexpr std::size_t NotPositional = static_cast<std::size_t>(-1);

locale_t cLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Runs snprintf in the C locale on this thread only, so "%f" writes a point under any locale.
template <class T> std::string printC(const std::string& spec, T value)
{
    locale_t previous = uselocale(cLocale());
    char small[128];
    int length = std::snprintf(small, sizeof small, spec.c_str(), value);
    std::string out;
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(length));
    } else if (length > 0) {
        out.resize(static_cast<std::size_t>(length) + 1);
        std::snprintf(out.data(), out.size(), spec.c_str(), value);
        out.resize(static_cast<std::size_t>(length));
    }
    uselocale(previous);
    return out;
}

[[noreturn]] void mismatch(std::string_view format, char conversion, const char* why)
{
    raise(InvalidArgumentException,
          std::string("format \"") + std::string(format) + "\": %" + conversion + " " + why);
}

std::string pad(std::string text, int width, bool left)
{
    std::size_t units = utf16Length(text);
    if (width > 0 && units < static_cast<std::size_t>(width)) {
        std::string fill(static_cast<std::size_t>(width) - units, ' ');
        text = left ? text + fill : fill + text;
    }
    return text;
}

} // namespace

std::string formatArgs(std::string_view fmt, const FormatArg* args, std::size_t count)
{
    std::string out;
    out.reserve(fmt.size() + 16);
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        std::size_t start = i++;
        if (i < fmt.size() && fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Optional position "n$".
        std::size_t position = NotPositional;
        {
            std::size_t j = i;
            std::size_t number = 0;
            while (j < fmt.size() && isAsciiDigit(fmt[j]))
                number = number * 10 + static_cast<std::size_t>(fmt[j++] - '0');
            if (j < fmt.size() && fmt[j] == '$' && j > i && number > 0) {
                position = number - 1;
                i = j + 1;
            }
        }
        std::string flags;
        while (i < fmt.size() &&
               (fmt[i] == '-' || fmt[i] == '+' || fmt[i] == ' ' || fmt[i] == '#' || fmt[i] == '0'))
            flags += fmt[i++];
        int width = 0;
        while (i < fmt.size() && isAsciiDigit(fmt[i]))
            width = width * 10 + (fmt[i++] - '0');
        int precision = -1;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            precision = 0;
            while (i < fmt.size() && isAsciiDigit(fmt[i]))
                precision = precision * 10 + (fmt[i++] - '0');
        }
        std::string length;
        while (i < fmt.size() && std::string_view("hlqLzjt").find(fmt[i]) != std::string_view::npos)
            length += fmt[i++];
        if (i >= fmt.size())
            raise(InvalidArgumentException,
                  "format \"" + std::string(fmt) + "\": incomplete conversion at the end");
        char conversion = fmt[i++];
        std::size_t index = position != NotPositional ? position : next++;
        if (index >= count)
            mismatch(fmt, conversion, "has no argument");
        const FormatArg& arg = args[index];
        bool left = flags.find('-') != std::string::npos;
        std::string numericSpec = "%" + flags + (width ? std::to_string(width) : "") +
                                  (precision >= 0 ? "." + std::to_string(precision) : "");
        switch (conversion) {
        case '@': {
            std::string text;
            if (arg.kind == FormatArg::Kind::Object)
                text = arg.object ? arg.object->description() : "(null)";
            else if (arg.kind == FormatArg::Kind::Text)
                text = arg.isNullText ? "(null)" : std::string(arg.text);
            else
                mismatch(fmt, conversion, "needs an object or a text");
            out += pad(std::move(text), width, left);
            break;
        }
        case 's': {
            if (arg.kind != FormatArg::Kind::Text)
                mismatch(fmt, conversion, "needs a text");
            std::string text = arg.isNullText ? "(null)" : std::string(arg.text);
            if (precision >= 0 && static_cast<std::size_t>(precision) < text.size())
                text.resize(static_cast<std::size_t>(precision));
            out += pad(std::move(text), width, left);
            break;
        }
        case 'd':
        case 'i':
        case 'D': {
            if (arg.kind != FormatArg::Kind::Signed && arg.kind != FormatArg::Kind::Unsigned)
                mismatch(fmt, conversion, "needs an integer");
            int64_t value = arg.kind == FormatArg::Kind::Signed ? arg.i : static_cast<int64_t>(arg.u);
            // Without a length the argument is a 32-bit int, as on the device.
            if (length == "hh")
                value = static_cast<signed char>(value);
            else if (length == "h")
                value = static_cast<short>(value);
            else if (length.empty())
                value = static_cast<int32_t>(value);
            out += printC(numericSpec + "lld", static_cast<long long>(value));
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o':
        case 'U':
        case 'O': {
            if (arg.kind != FormatArg::Kind::Signed && arg.kind != FormatArg::Kind::Unsigned)
                mismatch(fmt, conversion, "needs an integer");
            uint64_t value = arg.kind == FormatArg::Kind::Unsigned ? arg.u : static_cast<uint64_t>(arg.i);
            if (length == "hh")
                value = static_cast<unsigned char>(value);
            else if (length == "h")
                value = static_cast<unsigned short>(value);
            else if (length.empty() && conversion != 'U' && conversion != 'O')
                value = static_cast<uint32_t>(value);
            char base = conversion == 'U' ? 'u' : (conversion == 'O' ? 'o' : conversion);
            out += printC(numericSpec + "ll" + base, static_cast<unsigned long long>(value));
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': {
            double value = 0;
            if (arg.kind == FormatArg::Kind::Double)
                value = arg.d;
            else if (arg.kind == FormatArg::Kind::Signed)
                value = static_cast<double>(arg.i);
            else if (arg.kind == FormatArg::Kind::Unsigned)
                value = static_cast<double>(arg.u);
            else
                mismatch(fmt, conversion, "needs a number");
            out += printC(numericSpec + conversion, value);
            break;
        }
        case 'c':
        case 'C': {
            if (arg.kind != FormatArg::Kind::Signed && arg.kind != FormatArg::Kind::Unsigned)
                mismatch(fmt, conversion, "needs a character");
            uint64_t code = arg.kind == FormatArg::Kind::Unsigned ? arg.u : static_cast<uint64_t>(arg.i);
            std::string text;
            if (conversion == 'c')
                text.assign(1, static_cast<char>(code));
            else
                appendUtf8(text, static_cast<char32_t>(code & 0x1FFFFF));
            out += pad(std::move(text), width, left);
            break;
        }
        case 'p': {
            const void* pointer = nullptr;
            if (arg.kind == FormatArg::Kind::Pointer)
                pointer = arg.pointer;
            else if (arg.kind == FormatArg::Kind::Object)
                pointer = arg.object;
            else
                mismatch(fmt, conversion, "needs a pointer");
            out += printC(numericSpec + "p", pointer);
            break;
        }
        default:
            raise(InvalidArgumentException, "format \"" + std::string(fmt) + "\": unknown conversion " +
                                                std::string(fmt.substr(start, i - start)));
        }
    }
    return out;
}

} // namespace ns
