#include "foundation/PropertyList.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Number.h"
#include "foundation/PropertyListReader.h"
#include "foundation/PropertyListWriter.h"
#include "foundation/String.h"

#include <vector>

namespace ns {
namespace {

Ref<Error> corrupt(const std::string& reason)
{
    return Error::withDescription(
        CocoaErrorDomain, PropertyListReadCorruptError,
        "The data couldn\xe2\x80\x99t be read because it isn\xe2\x80\x99t in the correct format. (" + reason +
            ")");
}

Ref<Error> invalid(const std::string& reason)
{
    return Error::withDescription(CocoaErrorDomain, PropertyListWriteInvalidError,
                                  "The value is not a property list: " + reason);
}

Id copyValue(const Id& value, int depth)
{
    if (!value || depth > PropertyList::MaximumDepth)
        return nullptr;
    if (dynamic_cast<const String*>(value.get()) || dynamic_cast<const Number*>(value.get()) ||
        dynamic_cast<const Data*>(value.get()) || dynamic_cast<const Date*>(value.get()))
        return value->copy();
    if (auto* array = dynamic_cast<const Array*>(value.get())) {
        std::vector<Id> items;
        items.reserve(array->count());
        for (std::size_t i = 0; i < array->count(); ++i) {
            Id item = copyValue(array->objectAtIndex(i), depth + 1);
            if (!item)
                return nullptr;
            items.push_back(std::move(item));
        }
        return Array::make(std::move(items));
    }
    if (auto* dictionary = dynamic_cast<const Dictionary*>(value.get())) {
        Dictionary::Entries entries;
        entries.reserve(dictionary->count());
        bool ok = true;
        dictionary->enumerateKeysAndObjects([&](const Id& key, const Id& item, bool& stop) {
            Id copied = dynamic_cast<const String*>(key.get()) ? copyValue(item, depth + 1) : nullptr;
            if (!copied) {
                ok = false;
                stop = true;
                return;
            }
            entries.emplace_back(key, std::move(copied));
        });
        if (!ok)
            return nullptr;
        return Dictionary::make(std::move(entries));
    }
    return nullptr;
}

} // namespace

Id PropertyList::propertyListWithData(const Data& data, Ref<Error>* error)
{
    return propertyListWithData(data.view(), error);
}

Id PropertyList::propertyListWithData(std::string_view bytes, Ref<Error>* error)
{
    std::string reason;
    Id value = PropertyListReader::read(bytes, reason);
    if (!value)
        setError(error, corrupt(reason));
    return value;
}

Id PropertyList::propertyListWithContentsOfFile(const std::string& path, Ref<Error>* error)
{
    auto data = FileManager::contentsAtPath(path, error);
    if (!data)
        return nullptr;
    return propertyListWithData(*data, error);
}

std::string PropertyList::xmlText(const Id& value, Ref<Error>* error)
{
    std::string out, reason;
    if (!PropertyListWriter::writeXml(value, out, reason)) {
        setError(error, invalid(reason));
        return {};
    }
    return out;
}

Ref<Data> PropertyList::dataWithPropertyList(const Id& value, Ref<Error>* error)
{
    std::string text = xmlText(value, error);
    if (text.empty())
        return nullptr;
    return Data::withString(text);
}

bool PropertyList::writePropertyList(const Id& value, const std::string& path, Ref<Error>* error)
{
    std::string text = xmlText(value, error);
    if (text.empty())
        return false;
    return FileManager::writeAtomically(path, text, error);
}

bool PropertyList::isValid(const Id& value)
{
    return copyValue(value, 0) != nullptr;
}

Id PropertyList::copyPropertyList(const Id& value)
{
    return copyValue(value, 0);
}

} // namespace ns
