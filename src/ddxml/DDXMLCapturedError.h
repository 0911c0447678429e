#pragma once

#include <libxml/xmlerror.h>

#include <optional>
#include <string>

// A deep copy of libxml2's error record: its texts belong to the parser, which frees them when the parse
// returns, so the copy owns its own.
struct DDXMLCapturedError
{
    int domain = 0;
    int code = 0;
    std::string message;
    int level = 0;
    std::string file;
    int line = 0;
    std::optional<std::string> str1, str2, str3;
    int int1 = 0;
    int int2 = 0;
};

// The last libxml2 error reported on this thread, or nothing; reading it does not clear it.
const std::optional<DDXMLCapturedError>& DDXMLLastCapturedError();
// libxml2's structured error callback: keeps a copy of the error in this thread's slot (no record clears it).
void DDXMLStructuredErrorHandler(void* userData, xmlErrorPtr error);
