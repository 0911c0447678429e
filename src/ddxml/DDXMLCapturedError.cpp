#include "ddxml/DDXMLCapturedError.h"

namespace {

std::optional<std::string> copyText(const char* text)
{
    if (!text)
        return std::nullopt;
    return std::string(text);
}

std::optional<DDXMLCapturedError>& errorSlot()
{
    thread_local std::optional<DDXMLCapturedError> slot;
    return slot;
}

} // namespace

const std::optional<DDXMLCapturedError>& DDXMLLastCapturedError()
{
    return errorSlot();
}

void DDXMLStructuredErrorHandler(void*, xmlErrorPtr error)
{
    auto& slot = errorSlot();
    if (!error) {
        slot.reset();
        return;
    }
    DDXMLCapturedError copy;
    copy.domain = error->domain;
    copy.code = error->code;
    copy.message = error->message ? error->message : "";
    copy.level = error->level;
    copy.file = error->file ? error->file : "";
    copy.line = error->line;
    copy.str1 = copyText(error->str1);
    copy.str2 = copyText(error->str2);
    copy.str3 = copyText(error->str3);
    copy.int1 = error->int1;
    copy.int2 = error->int2;
    slot = std::move(copy);
}
