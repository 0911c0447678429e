#include "foundation/PropertyListWriter.h"

#include "foundation/Array.h"
#include "foundation/Base64.h"
#include "foundation/CivilDate.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Escaping.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ns {
namespace {

void appendBase64(std::string& out, const Data& data, const std::string& indent)
{
    constexpr std::size_t lineLength = 68;
    std::string encoded = base64Encode(data.data(), data.length());
    for (std::size_t i = 0; i < encoded.size(); i += lineLength) {
        out += indent;
        out.append(encoded, i, lineLength);
        out += '\n';
    }
}

std::string realText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string dateText(double secondsSince1970)
{
    double whole = std::floor(secondsSince1970);
    // Beyond any calendar year of four or five digits there is nothing meaningful to write.
    whole = std::clamp(whole, -1e14, 1e14);
    int64_t total = static_cast<int64_t>(whole);
    int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    int64_t rest = total - days * 86400;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    return format("%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(year), month, day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
}

bool appendXml(std::string& out, const Id& value, int depth, std::string& reason)
{
    if (depth > PropertyList::MaximumDepth) {
        reason = "nested too deeply";
        return false;
    }
    std::string indent(static_cast<std::size_t>(depth), '\t');
    if (!value) {
        reason = "nothing";
        return false;
    }
    if (auto* text = dynamic_cast<const String*>(value.get())) {
        out += indent + "<string>";
        appendXMLEscaped(out, text->str(), false);
        out += "</string>\n";
        return true;
    }
    if (auto* number = dynamic_cast<const Number*>(value.get())) {
        switch (number->kind()) {
        case Number::Kind::Bool:
            out += indent + (number->boolValue() ? "<true/>\n" : "<false/>\n");
            break;
        case Number::Kind::Signed:
            out +=
                indent + format("<integer>%lld</integer>\n", static_cast<long long>(number->longLongValue()));
            break;
        case Number::Kind::Unsigned:
            out += indent + format("<integer>%llu</integer>\n",
                                   static_cast<unsigned long long>(number->unsignedLongLongValue()));
            break;
        case Number::Kind::Double:
            out += indent + "<real>" + realText(number->doubleValue()) + "</real>\n";
            break;
        }
        return true;
    }
    if (auto* data = dynamic_cast<const Data*>(value.get())) {
        out += indent + "<data>\n";
        appendBase64(out, *data, indent);
        out += indent + "</data>\n";
        return true;
    }
    if (auto* date = dynamic_cast<const Date*>(value.get())) {
        out += indent + "<date>" + dateText(date->timeIntervalSince1970()) + "</date>\n";
        return true;
    }
    if (auto* array = dynamic_cast<const Array*>(value.get())) {
        if (array->count() == 0) {
            out += indent + "<array/>\n";
            return true;
        }
        out += indent + "<array>\n";
        for (std::size_t i = 0; i < array->count(); ++i)
            if (!appendXml(out, array->objectAtIndex(i), depth + 1, reason))
                return false;
        out += indent + "</array>\n";
        return true;
    }
    if (auto* dictionary = dynamic_cast<const Dictionary*>(value.get())) {
        if (dictionary->count() == 0) {
            out += indent + "<dict/>\n";
            return true;
        }
        out += indent + "<dict>\n";
        bool ok = true;
        dictionary->enumerateKeysAndObjects([&](const Id& key, const Id& item, bool& stop) {
            auto* keyText = dynamic_cast<const String*>(key.get());
            if (!keyText) {
                reason = "a dictionary key is not a text: " + describe(key);
                ok = false;
                stop = true;
                return;
            }
            out += indent + "\t<key>";
            appendXMLEscaped(out, keyText->str(), false);
            out += "</key>\n";
            if (!appendXml(out, item, depth + 1, reason)) {
                ok = false;
                stop = true;
            }
        });
        if (!ok)
            return false;
        out += indent + "</dict>\n";
        return true;
    }
    reason = value->className() + " " + value->description();
    return false;
}

} // namespace

std::string_view PropertyListWriter::xmlHeader()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n";
}

std::string_view PropertyListWriter::xmlFooter()
{
    return "</plist>\n";
}

bool PropertyListWriter::appendElement(const Id& value, int depth, std::string& out, std::string& reason)
{
    return appendXml(out, value, depth, reason);
}

bool PropertyListWriter::writeXml(const Id& value, std::string& out, std::string& reason)
{
    out = xmlHeader();
    if (!appendXml(out, value, 0, reason))
        return false;
    out += xmlFooter();
    return true;
}

} // namespace ns
